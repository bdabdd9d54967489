#include "mvlineflow.h"

#include "asyncreportsbase.h"
#include "asyncreportshelper.h"
#include "mvfailure.h"
#include "mvkeys.h"
#include "mvlayout.h"
#include "pdfrenderer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QGraphicsItem>
#include <QTextCharFormat>

#include <algorithm>
#include <memory>

namespace {

// A line longer than this (in UTF-16 code units) is placed piece by piece without being laid
// out whole first: it is far wider than any column, and a line of megabytes laid out whole
// would hold up a pass for seconds.
constexpr int kWholeLineLimit = 4096;
constexpr int kNarrowColumns = 3;
constexpr int kWideColumns = 2;
// The time a page pass may spend matching lines against the outline's pattern, in
// nanoseconds: lines of a page take a millisecond or two; a pattern far slower than that
// would hold up cancels and the host's window.
constexpr qint64 kMaxMatchingPerPass = 1000 * 1000 * 1000;

// Whether a column of a three-column page holds text in format, measured.
bool fitsNarrowColumn(AsyncReportsHelper &helper, const QString &text, const QTextCharFormat &format)
{
    const std::unique_ptr<QGraphicsItem> item(helper.createTextItemWithFormat(text, format));
    return item->boundingRect().width() <= helper.width() / kNarrowColumns;
}

// The longest run of digits, up to the long line length, that a column of a three-column
// page holds in format: measured, so that a large text size gives longer lines two columns.
int measuredNarrowLineLimit(AsyncReportsHelper &helper, const QTextCharFormat &format)
{
    const auto fits = [&](int length) {
        return fitsNarrowColumn(helper, QString(length, QLatin1Char('0')), format);
    };
    if (fits(MvLayout::LongLineLength))
        return MvLayout::LongLineLength;
    int fitting = 0;
    int tooLong = MvLayout::LongLineLength;
    while (tooLong - fitting > 1) {
        const int middle = (fitting + tooLong) / 2;
        (fits(middle) ? fitting : tooLong) = middle;
    }
    return fitting;
}

// Text items need the widgets' application object (prepare() refuses a report without).
bool canMakeTextItems()
{
    return qobject_cast<QApplication *>(QCoreApplication::instance()) != nullptr;
}

} // namespace

MvLineFlow::MvLineFlow(AsyncReportsHelper &helper, AsyncReportsBase *owner, const Fields &fields, Hooks hooks)
    : hlp(helper), owner(owner), f(fields), hooks(std::move(hooks)), fitter(helper),
      narrowLineLimit(MvLayout::LongLineLength)
{
}

bool MvLineFlow::setOutlinePattern(const QString &pattern)
{
    QRegularExpression expression(pattern);
    if (!expression.isValid())
        return false;
    expression.optimize();
    outlineExpression = expression;
    return true;
}

bool MvLineFlow::headingsLeaveRoom()
{
    const QTextCharFormat format = hlp.formats[MvKeys::PrintoutFormat];
    const int columns = f.wide ? kWideColumns : kNarrowColumns;
    // The headings stacked as a column's are, then taken off the page again.
    const double below = hlp.emitTextList(0.0, 0, fittedHeadings(format, columns), format);
    hlp.flushPageItemsForReuse();
    const std::unique_ptr<QGraphicsItem> emptyLine(hlp.createTextItemWithFormat(QString(), format));
    return hlp.contentHeight() > below + emptyLine->boundingRect().height();
}

void MvLineFlow::restart(bool outlined)
{
    this->outlined = outlined;
    f.restartPage = false;
    f.holdLine = false;
    f.column = 0;
    f.columnY = 0.0;
    f.lineNo = 0;
    f.pageStartLineNo = 0;
    const bool textItems = canMakeTextItems();
    const QTextCharFormat format = hlp.formats[MvKeys::PrintoutFormat];
    narrowLineLimit = textItems ? measuredNarrowLineLimit(hlp, format) : MvLayout::LongLineLength;
    const QStringList &headingLines = owner->continuationHeader();
    alwaysTwoColumns = f.wide || (textItems && std::any_of(headingLines.cbegin(), headingLines.cend(), [&](const QString &heading) {
        return heading.size() <= MvLayout::LongLineLength && !fitsNarrowColumn(hlp, heading, format);
    }));
    f.twoColumns = alwaysTwoColumns;
    // begin() detaches the job's list from any other list sharing it, once: a pass over the
    // string pointers, which are then shared. From here on the flow reads the job's own list,
    // which a host may write to during the run without moving it.
    QStringList &lines = owner->reportLines();
    f.current = lines.begin();
    f.pageStart = f.current;
    linesEnd = lines.end();
    columnHasLine = false;
    cutting = false;
    offset = 0;
    pageStartOffset = 0;
    pageStartCutting = false;
    resumePageStart = false;
}

MvLineFlow::PageEnd MvLineFlow::composePage(int pageNum)
{
    const QTextCharFormat format = hlp.formats[MvKeys::PrintoutFormat];
    matchingTime = 0;
    // Nothing (left) to place: an empty report is one page of header and footer.
    if (!linesRemain()) {
        finishLastPage();
        return PageEnd::Last;
    }
    for (;;) {
        // A page laid out again goes back to its first line, so lines remain.
        if (f.restartPage)
            restartCurrentPage(format, pageNum);
        if (!f.holdLine)
            takeLine();
        f.holdLine = false;
        if (!f.twoColumns && needsTwoColumns(format)) {
            hlp.flushPageItemsForReuse();
            f.restartPage = true;
            f.twoColumns = true;
            continue;
        }
        hlp.setColumnCount(f.twoColumns ? kWideColumns : kNarrowColumns);
        switch (placeLine(format)) {
        case Placement::Placed:
            break;
        case Placement::NextColumn:
            startNextColumn(format);
            break;
        case Placement::PageFull:
            hlp.columnSeparators();
            return PageEnd::Full;
        case Placement::Failed:
            return PageEnd::Failed;
        }
        if (!linesRemain()) {
            finishLastPage();
            return PageEnd::Last;
        }
    }
}

// Whether the line being placed is too long for a column of three. A tab spaces its line out
// further than the digits the limit was measured with.
bool MvLineFlow::needsTwoColumns(const QTextCharFormat &format) const
{
    const int remaining = f.line.size() - offset;
    if (remaining > MvLayout::LongLineLength)
        return true;
    if (cutting)
        return false;
    return remaining > narrowLineLimit
            || (f.line.contains(QLatin1Char('\t')) && !fitsNarrowColumn(hlp, f.line.mid(offset), format));
}

void MvLineFlow::startPage()
{
    f.column = 0;
    f.columnY = 0.0;
    f.twoColumns = alwaysTwoColumns;
    // The held line (or the part of it still to place) opens the next page.
    f.pageStart = f.current - 1;
    f.pageStartLineNo = f.lineNo - 1;
    pageStartOffset = offset;
    pageStartCutting = cutting;
    f.columnY = emitHeadings(hlp.formats[MvKeys::PrintoutFormat]);
    columnHasLine = false;
}

void MvLineFlow::takeLine()
{
    f.line = *f.current;
    ++f.current;
    ++f.lineNo;
    // A page laid out again may begin inside its first line.
    offset = resumePageStart ? pageStartOffset : 0;
    cutting = resumePageStart && pageStartCutting;
    resumePageStart = false;
}

bool MvLineFlow::linesRemain() const
{
    return f.holdLine || f.current != linesEnd;
}

void MvLineFlow::restartCurrentPage(const QTextCharFormat &format, int pageNum)
{
    f.current = f.pageStart;
    f.lineNo = f.pageStartLineNo;
    resumePageStart = true;
    f.column = 0;
    f.columnY = 0.0;
    if (pageNum > 1)
        f.columnY = emitHeadings(format);
    columnHasLine = false;
    f.restartPage = false;
    hooks.dropOutlineEntriesOfPage();
}

MvLineFlow::Placement MvLineFlow::placeLine(const QTextCharFormat &format)
{
    const double columnWidth = hlp.width() / hlp.getColumnCount();
    QGraphicsItem *item = cutting ? nullptr : wholeLineItem(format, columnWidth);
    int next = f.line.size();
    if (!item) {
        cutting = true;
        item = fitter.takePiece(f.line, offset, format, columnWidth, true, &next);
    }
    const double height = item->boundingRect().height();
    // The fit test takes the full height, the next line starts at 0.8 of it.
    if (hlp.contentHeight() > f.columnY + height || !columnHasLine) {
        item->moveBy(hlp.columnOffset(f.column), hlp.contentTop + f.columnY);
        if (offset == 0 && outlined && !matchOutline(item->sceneBoundingRect().top())) {
            delete item;
            return Placement::Failed;
        }
        f.columnY += MvLayout::LinePitch * height;
        hlp.appendToColumn(item);
        columnHasLine = true;
        if (cutting)
            piecePlaced(next);
        return Placement::Placed;
    }
    delete item;
    f.holdLine = true;
    hlp.centerColumn();
    return f.column < hlp.getColumnCount() - 1 ? Placement::NextColumn : Placement::PageFull;
}

// The item of the whole line, or null when the line goes piece by piece: wider than the
// column, too long to be laid out whole, or taller than the emptiest column and holding line
// breaks to continue it at.
QGraphicsItem *MvLineFlow::wholeLineItem(const QTextCharFormat &format, double columnWidth)
{
    if (f.line.size() > kWholeLineLimit)
        return nullptr;
    QGraphicsItem *item = hlp.createPageTextItem(f.line, format);
    const QRectF bounds = item->boundingRect();
    const bool tooTall = !columnHasLine && !(hlp.contentHeight() > f.columnY + bounds.height())
            && MvTextFitter::hasLineBreak(f.line);
    if (bounds.width() <= columnWidth && !tooTall)
        return item;
    delete item;
    return nullptr;
}

// Adds the outline entry of the line being placed, which stands at top, when it matches the
// outline's pattern. False, the layout refused, when the pattern cannot be matched against it
// (the expression engine gave up) or matching has taken too long in this pass, which must not
// keep a cancel waiting.
bool MvLineFlow::matchOutline(double top)
{
    QElapsedTimer timer;
    timer.start();
    const QRegularExpressionMatch match = outlineExpression.match(f.line);
    matchingTime += timer.nsecsElapsed();
    const QString pattern = outlineExpression.pattern();
    const bool tooSlow = matchingTime > kMaxMatchingPerPass;
    if (!match.isValid() || tooSlow) {
        MvFailure failure(tooSlow && match.isValid() ? MvFailure::Reason::OutlinePatternTooSlow
                                                     : MvFailure::Reason::OutlinePatternFailed);
        failure.setLine(f.lineNo);
        failure.setDetail(pattern);
        hooks.fail(failure, match.isValid() ? PDFRenderer::outlinePatternTooSlowMessage(f.lineNo, pattern)
                                            : PDFRenderer::outlinePatternFailedMessage(f.lineNo, pattern));
        return false;
    }
    if (match.hasMatch())
        hooks.addOutlineLine(f.lineNo - 1, top);
    return true;
}

// A piece of the line ending before next is placed: the rest, if any, comes next.
void MvLineFlow::piecePlaced(int next)
{
    offset = next;
    if (next < f.line.size()) {
        f.holdLine = true;
        return;
    }
    cutting = false;
    offset = 0;
}

void MvLineFlow::startNextColumn(const QTextCharFormat &format)
{
    ++f.column;
    f.columnY = 0.0;
    hlp.flushColumn();
    f.columnY = emitHeadings(format);
    columnHasLine = false;
}

double MvLineFlow::linesTaken() const
{
    double taken = f.lineNo;
    if (offset > 0)
        taken -= 1.0 - double(offset) / f.line.size();
    return taken;
}

void MvLineFlow::finishLastPage()
{
    if (!hlp.pageItems.isEmpty()) {
        hlp.centerColumn();
        hlp.columnSeparators();
    }
}

double MvLineFlow::emitHeadings(const QTextCharFormat &format)
{
    const int columns = f.twoColumns ? kWideColumns : kNarrowColumns;
    return hlp.emitTextList(f.columnY, f.column, fittedHeadings(format, columns), format);
}

// The job's heading lines, each cut to fit a column of a page of columns columns.
const QStringList &MvLineFlow::fittedHeadings(const QTextCharFormat &format, int columns)
{
    const QStringList &current = owner->continuationHeader();
    if (current != headings) {
        headings = current;
        headingsByColumns.clear();
    }
    auto fitted = headingsByColumns.find(columns);
    if (fitted != headingsByColumns.end())
        return *fitted;
    const double width = hlp.width() / columns;
    QStringList pieces;
    for (const QString &heading : current) {
        const std::unique_ptr<QGraphicsItem> item(hlp.createTextItemWithFormat(heading, format));
        if (item->boundingRect().width() <= width)
            pieces.append(heading);
        else
            pieces += fitter.cut(heading, format, width);
    }
    return *headingsByColumns.insert(columns, pieces);
}
