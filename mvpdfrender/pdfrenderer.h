#ifndef PDFRENDERER_H
#define PDFRENDERER_H

#include "mvpdfrender_global.h"

#include "pdfrendererbase.h"

#include <QRegularExpression>
#include <QString>
#include <QStringList>

class QTextCharFormat;

// Renders a line report: the job's printout lines flow down three narrow columns per page,
// or two wider ones when a page meets a line longer than 50 characters or the report is
// wide. Every column but the first of page 1 starts with the job's heading lines.
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
    void startReport() override;
    bool emitPage(bool) override;

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
    bool holdLine;            // `line` did not fit and is placed again before any new line
    QString line;

private:
    enum class Placement { Placed, NextColumn, PageFull };

    void restartCurrentPage(const QTextCharFormat &format);
    Placement placeLine(const QTextCharFormat &format);
    void startNextColumn(const QTextCharFormat &format);
    void finishFullPage(const QTextCharFormat &format);
    void paintLastPage();
    double emitHeadings(const QTextCharFormat &format);
    bool linesRemain() const;

    QStringList::iterator linesEnd;
    QRegularExpression outlineExpression;
    // Whether the current column holds a line (not only headings): a line that does not fit
    // even into an empty column is placed there anyway, so that no line is lost.
    bool columnHasLine = false;
};

#endif // PDFRENDERER_H
