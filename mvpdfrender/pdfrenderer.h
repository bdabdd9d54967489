#ifndef PDFRENDERER_H
#define PDFRENDERER_H

#include "mvpdfrender_global.h"

#include "pdfrendererbase.h"

#include <QString>
#include <QStringList>

#include <memory>

class QGraphicsItem;
class QTextCharFormat;

// Renders a line report: the job's printout lines flow down three narrow columns per page,
// or two wider ones when a page meets a line longer than 50 characters (MvLayout::
// LongLineLength) or the report is wide. Every column but the first of page 1 starts with the
// job's heading lines.
//
// Nothing is lost or drawn outside its column. A line (or heading line) wider than the column
// it stands in is continued on the following lines of that column, cut between graphemes
// (never inside a surrogate pair or a combining sequence), its pieces in order; a line with
// line breaks that is taller than a column is continued the same way, a piece per line. The
// 50-character rule looks at the part of a line still to be placed: a line of more than 50
// characters gives its page two columns and is then cut to their width; its continuation on a
// new page decides that page's columns by its own length. Lines that fit are laid out as
// they always were. Cutting is done page by page, as lines are placed, in time linear in the
// line's length; a line of more than 4096 characters is always placed piece by piece.
class MVPDFRENDER_EXPORT PDFRenderer : public PDFRendererBase
{
public:
    explicit PDFRenderer(AsyncReportsBase *owner);
    ~PDFRenderer() override;

    // Every page in two columns.
    void setWide(bool wide);
    // Before prepare(): every report line that matches the regular expression pattern opens
    // an outline entry (a bookmark) at that line, titled with the line's text, runs of white
    // space collapsed to one space and both ends trimmed. An empty pattern turns the outline
    // off. Returns false, and changes nothing, when pattern is not a valid expression.
    bool setOutlinePattern(const QString &pattern);
    QString outlinePattern() const;
    // As the base's, and refuses, before any file is made, a report whose heading lines (cut
    // to fit a column of three, or of two for a wide report) leave no room for a line in a
    // column: "Nagłówki kolumn nie zostawiają miejsca na wiersz raportu (liczba wierszy
    // nagłówka: N)", and a job then ends with Outcome::LayoutFailed.
    bool prepare() override;
    void startReport() override;
    // The share done, perc(), counts a line cut across pages by the part of it placed. A line
    // that the outline pattern cannot be matched against (the expression engine gives up, as
    // on catastrophic backtracking), or a pattern that takes more than a second of a page's
    // matching, ends the run as a refused layout: "Nie można dopasować wzorca konspektu do
    // wiersza N: PATTERN", "Wzorzec konspektu jest zbyt wolny (wiersz N): PATTERN".
    bool emitPage(bool) override;

    // The text of prepare()'s refusal of heading lines that leave no room. Since 1.1.
    static QString headingsTooTallMessage(int headingLines);

protected:
    int column;
    double columnY;           // height filled in the column, from contentTop, in scene units
    int lineNo;               // lines taken so far, the held line included
    int pageStartLineNo;
    bool twoColumns;
    bool wide;
    QStringList::iterator current;    // the next line to take from the job's list
    QStringList::iterator pageStart;  // the first line of the current page
    bool restartPage;
    bool holdLine;            // `line` (or the part of it still to place) is placed again
                              // before any new line is taken
    QString line;

private:
    enum class Placement { Placed, NextColumn, PageFull, Failed };
    struct Private;

    void takeLine();
    void restartCurrentPage(const QTextCharFormat &format);
    Placement placeLine(const QTextCharFormat &format);
    QGraphicsItem *wholeLineItem(const QTextCharFormat &format, double columnWidth);
    void piecePlaced(int next);
    bool matchOutline(double top);
    void startNextColumn(const QTextCharFormat &format);
    void finishFullPage(const QTextCharFormat &format);
    void paintLastPage();
    double emitHeadings(const QTextCharFormat &format);
    const QStringList &fittedHeadings(const QTextCharFormat &format, int columns);
    bool headingsLeaveRoom();
    double linesTaken() const;
    bool linesRemain() const;

    std::unique_ptr<Private> d;
};

#endif // PDFRENDERER_H
