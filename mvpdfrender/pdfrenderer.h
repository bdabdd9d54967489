#ifndef PDFRENDERER_H
#define PDFRENDERER_H

#include "mvpdfrender_global.h"

#include "pdfrendererbase.h"

#include <QString>
#include <QStringList>

#include <memory>

class QGraphicsItem;
class QTextCharFormat;

/**
 * \brief Renders a line report.
 *
 * The job's printout lines (AsyncReportsBase::reportLines()) flow down three narrow columns
 * per page, or two wider ones when a page meets a line longer than 50 characters
 * (MvLayout::LongLineLength) or the report is wide. Every column but the first of page 1
 * starts with the job's heading lines (AsyncReportsBase::continuationHeader()).
 *
 * Nothing is lost or drawn outside its column. A line (or heading line) wider than the column
 * it stands in is continued on the following lines of that column, cut between graphemes
 * (never inside a surrogate pair or a combining sequence), its pieces in order; a line with
 * line breaks that is taller than a column is continued the same way, a piece per line. The
 * 50-character rule looks at the part of a line still to be placed: a line of more than 50
 * characters gives its page two columns and is then cut to their width; its continuation on a
 * new page decides that page's columns by its own length. Lines that fit are laid out as
 * they always were. Cutting is done page by page, as lines are placed, in time linear in the
 * line's length; a line of more than 4096 characters is always placed piece by piece.
 *
 * \code
 * void LinesJob::process()
 * {
 *     auto *renderer = new PDFRenderer(this);
 *     renderer->setOutlinePattern(QStringLiteral("^PARAGON FISKALNY"));
 *     startRenderer(renderer);
 * }
 * \endcode
 */
class MVPDFRENDER_EXPORT PDFRenderer : public PDFRendererBase
{
public:
    /** A renderer of owner's report lines. */
    explicit PDFRenderer(AsyncReportsBase *owner);
    ~PDFRenderer() override;

    /** Every page in two columns. */
    void setWide(bool wide);
    /**
     * Before prepare(): every report line that matches the regular expression pattern opens
     * an outline entry (a bookmark) at that line, titled with the line's text, runs of white
     * space collapsed to one space and both ends trimmed. An empty pattern turns the outline
     * off. Returns false, and changes nothing, when pattern is not a valid expression.
     * \since 1.1
     */
    bool setOutlinePattern(const QString &pattern);
    /** The outline pattern; empty when the report has no outline. \since 1.1 */
    QString outlinePattern() const;
    /**
     * As the base's, and refuses, before any file is made, a report whose heading lines (cut
     * to fit a column of three, or of two for a wide report) leave no room for a line in a
     * column: headingsTooTallMessage(), and a job then ends with Outcome::LayoutFailed.
     */
    bool prepare() override;
    /** Goes back to the job's first line. */
    void startReport() override;
    /**
     * Writes one page. The share done, perc(), counts a line cut across pages by the part of
     * it placed. A line that the outline pattern cannot be matched against (the expression
     * engine gives up, as on catastrophic backtracking), or a pattern that takes more than a
     * second of a page's matching, ends the run as a refused layout
     * (outlinePatternFailedMessage(), outlinePatternTooSlowMessage()).
     */
    bool emitPage(bool) override;

    /**
     * The text of prepare()'s refusal of heading lines that leave no room: "Nagłówki kolumn nie
     * zostawiają miejsca na wiersz raportu (liczba wierszy nagłówka: N)".
     * \since 1.1
     */
    static QString headingsTooTallMessage(int headingLines);
    /**
     * The text of a run ended at report line `line` (from 1), which the outline pattern cannot
     * be matched against: "Nie można dopasować wzorca konspektu do wiersza N: PATTERN".
     * \since 1.1
     */
    static QString outlinePatternFailedMessage(int line, const QString &pattern);
    /**
     * The text of a run ended at report line `line` (from 1) because matching the outline
     * pattern took more than a second of a page: "Wzorzec konspektu jest zbyt wolny (wiersz N):
     * PATTERN".
     * \since 1.1
     */
    static QString outlinePatternTooSlowMessage(int line, const QString &pattern);

protected:
    int column;               ///< The column being filled, from 0.
    double columnY;           ///< Height filled in the column, from contentTop, in scene units.
    int lineNo;               ///< Lines taken so far, the held line included.
    int pageStartLineNo;      ///< lineNo at the start of the current page.
    bool twoColumns;          ///< The current page has two columns.
    bool wide;                ///< Every page has two columns (setWide()).
    QStringList::iterator current;    ///< The next line to take from the job's list.
    QStringList::iterator pageStart;  ///< The first line of the current page.
    bool restartPage;         ///< The page is laid out again in two columns.
    bool holdLine;            ///< `line` (or the part of it still to place) is placed again
                              ///< before any new line is taken.
    QString line;             ///< The line being placed.

private:
    struct Private;

    std::unique_ptr<Private> d;
};

#endif // PDFRENDERER_H
