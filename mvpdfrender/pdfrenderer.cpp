#include "pdfrenderer.h"

#include "asyncreportsbase.h"
#include "mvkeys.h"

#include <QGraphicsItem>
#include <QTextCharFormat>

namespace {
// A line longer than this (in UTF-16 code units) needs the wider columns of a 2-column page.
constexpr int kLongLineLength = 50;
// Consecutive lines start at 0.8 of an item's height.
constexpr double kLinePitch = 0.8;
}

PDFRenderer::PDFRenderer(AsyncReportsBase *owner)
    : PDFRendererBase(owner),
      column(0), columnY(0.0), lineNo(0), pageStartLineNo(0), twoColumns(false), wide(false),
      current(), pageStart(), restartPage(false), holdLine(false),
      linesEnd()
{
}

PDFRenderer::~PDFRenderer() = default;

void PDFRenderer::setWide(bool wide)
{
    this->wide = wide;
    if (wide)
        twoColumns = true;
}

bool PDFRenderer::setOutlinePattern(const QString &pattern)
{
    QRegularExpression expression(pattern);
    if (!expression.isValid())
        return false;
    expression.optimize();
    outlineExpression = expression;
    requestOutline(!pattern.isEmpty());
    return true;
}

QString PDFRenderer::outlinePattern() const
{
    return outlineRequested() ? outlineExpression.pattern() : QString();
}

void PDFRenderer::startReport()
{
    restartPage = false;
    holdLine = false;
    column = 0;
    columnY = 0.0;
    lineNo = 0;
    pageStartLineNo = 0;
    twoColumns = wide;
    // begin() detaches the job's list from any other list sharing it, once: a pass over the
    // string pointers, which are then shared. From here on the renderer reads the job's own
    // list, which a host may write to during the run without moving it.
    QStringList &lines = owner->reportLines();
    current = lines.begin();
    pageStart = current;
    linesEnd = lines.end();
    columnHasLine = false;
}

bool PDFRenderer::emitPage(bool)
{
    const QTextCharFormat format = hlp.formats[MvKeys::PrintoutFormat];
    if (!linesRemain()) {
        // Nothing (left) to place: an empty report is one page of header and footer.
        paintLastPage();
        return false;
    }
    for (;;) {
        if (restartPage)
            restartCurrentPage(format);

        if (!holdLine) {
            line = *current;
            ++current;
            ++lineNo;
        }
        holdLine = false;

        if (line.size() > kLongLineLength && !twoColumns) {
            hlp.flushPageItemsForReuse();
            restartPage = true;
            twoColumns = true;
            continue;
        }
        hlp.setColumnCount(twoColumns ? 2 : 3);

        switch (placeLine(format)) {
        case Placement::Placed:
            break;
        case Placement::NextColumn:
            startNextColumn(format);
            break;
        case Placement::PageFull:
            finishFullPage(format);
            return true;
        }

        if (!linesRemain()) {
            paintLastPage();
            return false;
        }
    }
}

bool PDFRenderer::linesRemain() const
{
    return holdLine || current != linesEnd;
}

void PDFRenderer::restartCurrentPage(const QTextCharFormat &format)
{
    current = pageStart;
    lineNo = pageStartLineNo;
    column = 0;
    columnY = 0.0;
    if (pageNum > 1)
        columnY = emitHeadings(format);
    columnHasLine = false;
    restartPage = false;
    dropOutlineEntriesOfPage();
}

PDFRenderer::Placement PDFRenderer::placeLine(const QTextCharFormat &format)
{
    QGraphicsItem *item = hlp.createPageTextItem(line, format);
    const double height = item->boundingRect().height();
    // The fit test takes the full height, the next line starts at 0.8 of it.
    if (hlp.contentHeight() > columnY + height || !columnHasLine) {
        item->moveBy(hlp.columnOffset(column), hlp.contentTop + columnY);
        if (outlineRequested() && outlineExpression.match(line).hasMatch())
            addOutlineEntry(line.simplified(), item->sceneBoundingRect().top());
        columnY += kLinePitch * height;
        hlp.appendToColumn(item);
        columnHasLine = true;
        return Placement::Placed;
    }
    delete item;
    holdLine = true;
    hlp.centerColumn();
    return column < hlp.getColumnCount() - 1 ? Placement::NextColumn : Placement::PageFull;
}

void PDFRenderer::startNextColumn(const QTextCharFormat &format)
{
    ++column;
    columnY = 0.0;
    hlp.flushColumn();
    columnY = emitHeadings(format);
    columnHasLine = false;
}

void PDFRenderer::finishFullPage(const QTextCharFormat &format)
{
    hlp.columnSeparators();
    hlp.render(output.painter(), output.pageRect());
    percDone = lineNo * 100.0 / owner->reportLines().size();
    output.newPage();
    hlp.flushPageItemsForReuse();
    column = 0;
    columnY = 0.0;
    ++pageNum;
    hlp.setPageNum(pageNum);
    twoColumns = wide;
    // The held line opens the next page.
    pageStart = current - 1;
    pageStartLineNo = lineNo - 1;
    columnY = emitHeadings(format);
    columnHasLine = false;
}

void PDFRenderer::paintLastPage()
{
    if (!hlp.pageItems.isEmpty()) {
        hlp.centerColumn();
        hlp.columnSeparators();
    }
    hlp.render(output.painter(), output.pageRect());
}

double PDFRenderer::emitHeadings(const QTextCharFormat &format)
{
    return hlp.emitTextList(columnY, column, owner->continuationHeader(), format);
}
