#include "pdfrenderer.h"

#include "asyncreportsbase.h"
#include "mvkeys.h"
#include "mvlayout.h"
#include "mvtextfitter.h"
#include "pdfrendererbase_p.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QGraphicsItem>
#include <QHash>
#include <QRegularExpression>
#include <QTextCharFormat>

#include <algorithm>

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
int narrowLineLimit(AsyncReportsHelper &helper, const QTextCharFormat &format)
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

} // namespace

// What the renderer keeps beside its specified fields.
struct PDFRenderer::Private
{
    explicit Private(AsyncReportsHelper &helper) : fitter(helper) {}

    QStringList::iterator linesEnd;
    QRegularExpression outlineExpression;
    // Whether the current column holds a line (not only headings): a line that does not fit
    // even into an empty column is placed there anyway, so that no line is lost.
    bool columnHasLine = false;
    // A line too wide or too tall for its column is placed piece by piece: cutting is set
    // while it is, and offset is where the part of `line` still to place begins.
    bool cutting = false;
    int offset = 0;
    // Where the current page begins inside its first line, for a page laid out again; the
    // next line taken is that first line when resumePageStart is set.
    int pageStartOffset = 0;
    bool pageStartCutting = false;
    bool resumePageStart = false;
    MvTextFitter fitter;
    // The job's heading lines as last seen, and cut to fit a column, by column count.
    QStringList headings;
    QHash<int, QStringList> fittedHeadings;
    qint64 matchingTime = 0;   // spent matching lines in this pass, in nanoseconds
    // The longest line, up to the long line length, that a column of a three-column page
    // holds at the report's resolution: a page with a longer line gets two columns, as a
    // page with a long line does, rather than cut it.
    int narrowLineLimit = MvLayout::LongLineLength;
    // Every page in two columns: asked for (wide), or heading lines that a column of three
    // would cut.
    bool alwaysTwoColumns = false;
};

PDFRenderer::PDFRenderer(AsyncReportsBase *owner)
    : PDFRendererBase(owner),
      column(0), columnY(0.0), lineNo(0), pageStartLineNo(0), twoColumns(false), wide(false),
      current(), pageStart(), restartPage(false), holdLine(false),
      d(new Private(hlp))
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
    d->outlineExpression = expression;
    requestOutline(!pattern.isEmpty());
    return true;
}

QString PDFRenderer::outlinePattern() const
{
    return outlineRequested() ? d->outlineExpression.pattern() : QString();
}

bool PDFRenderer::prepare()
{
    if (!preparePage())
        return false;
    if (!headingsLeaveRoom()) {
        const int headingLines = owner->continuationHeader().size();
        MvFailure failure(MvFailure::Reason::LayoutImpossible);
        failure.setLine(headingLines);
        PDFRendererBase::Private::get(this)->fail(*this, failure, headingsTooTallMessage(headingLines));
        return false;
    }
    return openPdf();
}

QString PDFRenderer::headingsTooTallMessage(int headingLines)
{
    return QStringLiteral("Nagłówki kolumn nie zostawiają miejsca na wiersz raportu "
                          "(liczba wierszy nagłówka: %1)").arg(headingLines);
}

// Whether a line fits below the heading lines in a column of the narrowest page they head.
bool PDFRenderer::headingsLeaveRoom()
{
    const QTextCharFormat format = hlp.formats[MvKeys::PrintoutFormat];
    const int columns = wide ? kWideColumns : kNarrowColumns;
    // The headings stacked as a column's are, then taken off the page again.
    const double below = hlp.emitTextList(0.0, 0, fittedHeadings(format, columns), format);
    hlp.flushPageItemsForReuse();
    const std::unique_ptr<QGraphicsItem> emptyLine(hlp.createTextItemWithFormat(QString(), format));
    return hlp.contentHeight() > below + emptyLine->boundingRect().height();
}

void PDFRenderer::startReport()
{
    restartPage = false;
    holdLine = false;
    column = 0;
    columnY = 0.0;
    lineNo = 0;
    pageStartLineNo = 0;
    // Text items need the widgets' application object (prepare() refuses a report without).
    const bool textItems = qobject_cast<QApplication *>(QCoreApplication::instance()) != nullptr;
    const QTextCharFormat format = hlp.formats[MvKeys::PrintoutFormat];
    d->narrowLineLimit = textItems ? narrowLineLimit(hlp, format) : MvLayout::LongLineLength;
    const QStringList &headings = owner->continuationHeader();
    d->alwaysTwoColumns = wide || (textItems && std::any_of(headings.cbegin(), headings.cend(), [&](const QString &heading) {
        return heading.size() <= MvLayout::LongLineLength && !fitsNarrowColumn(hlp, heading, format);
    }));
    twoColumns = d->alwaysTwoColumns;
    // begin() detaches the job's list from any other list sharing it, once: a pass over the
    // string pointers, which are then shared. From here on the renderer reads the job's own
    // list, which a host may write to during the run without moving it.
    QStringList &lines = owner->reportLines();
    current = lines.begin();
    pageStart = current;
    d->linesEnd = lines.end();
    d->columnHasLine = false;
    d->cutting = false;
    d->offset = 0;
    d->pageStartOffset = 0;
    d->pageStartCutting = false;
    d->resumePageStart = false;
}

bool PDFRenderer::emitPage(bool)
{
    // An output that is not open (discarded, finished) takes no more pages.
    if (!output.isValid())
        return false;
    const QTextCharFormat format = hlp.formats[MvKeys::PrintoutFormat];
    d->matchingTime = 0;
    if (!linesRemain()) {
        // Nothing (left) to place: an empty report is one page of header and footer.
        paintLastPage();
        return false;
    }
    for (;;) {
        if (restartPage)
            restartCurrentPage(format);

        if (!holdLine)
            takeLine();
        holdLine = false;

        const int remaining = line.size() - d->offset;
        // A tab spaces its line out further than the digits the limit was measured with.
        const bool tooLongForThree = remaining > MvLayout::LongLineLength
                || (!d->cutting && !twoColumns && remaining > d->narrowLineLimit)
                || (!d->cutting && !twoColumns && line.contains(QLatin1Char('\t'))
                    && !fitsNarrowColumn(hlp, line.mid(d->offset), format));
        if (tooLongForThree && !twoColumns) {
            hlp.flushPageItemsForReuse();
            restartPage = true;
            twoColumns = true;
            continue;
        }
        hlp.setColumnCount(twoColumns ? kWideColumns : kNarrowColumns);

        switch (placeLine(format)) {
        case Placement::Placed:
            break;
        case Placement::NextColumn:
            startNextColumn(format);
            break;
        case Placement::PageFull:
            finishFullPage(format);
            return true;
        case Placement::Failed:
            return false;
        }

        if (!linesRemain()) {
            paintLastPage();
            return false;
        }
    }
}

void PDFRenderer::takeLine()
{
    line = *current;
    ++current;
    ++lineNo;
    // A page laid out again may begin inside its first line.
    d->offset = d->resumePageStart ? d->pageStartOffset : 0;
    d->cutting = d->resumePageStart && d->pageStartCutting;
    d->resumePageStart = false;
}

bool PDFRenderer::linesRemain() const
{
    return holdLine || current != d->linesEnd;
}

void PDFRenderer::restartCurrentPage(const QTextCharFormat &format)
{
    current = pageStart;
    lineNo = pageStartLineNo;
    d->resumePageStart = true;
    column = 0;
    columnY = 0.0;
    if (pageNum > 1)
        columnY = emitHeadings(format);
    d->columnHasLine = false;
    restartPage = false;
    dropOutlineEntriesOfPage();
}

PDFRenderer::Placement PDFRenderer::placeLine(const QTextCharFormat &format)
{
    const double columnWidth = hlp.width() / hlp.getColumnCount();
    QGraphicsItem *item = d->cutting ? nullptr : wholeLineItem(format, columnWidth);
    int next = line.size();
    if (!item) {
        d->cutting = true;
        item = d->fitter.takePiece(line, d->offset, format, columnWidth, true, &next);
    }
    const double height = item->boundingRect().height();
    // The fit test takes the full height, the next line starts at 0.8 of it.
    if (hlp.contentHeight() > columnY + height || !d->columnHasLine) {
        item->moveBy(hlp.columnOffset(column), hlp.contentTop + columnY);
        if (d->offset == 0 && outlineRequested() && !matchOutline(item->sceneBoundingRect().top())) {
            delete item;
            return Placement::Failed;
        }
        columnY += MvLayout::LinePitch * height;
        hlp.appendToColumn(item);
        d->columnHasLine = true;
        if (d->cutting)
            piecePlaced(next);
        return Placement::Placed;
    }
    delete item;
    holdLine = true;
    hlp.centerColumn();
    return column < hlp.getColumnCount() - 1 ? Placement::NextColumn : Placement::PageFull;
}

// The item of the whole line, or null when the line goes piece by piece: wider than the
// column, too long to be laid out whole, or taller than the emptiest column and holding line
// breaks to continue it at.
QGraphicsItem *PDFRenderer::wholeLineItem(const QTextCharFormat &format, double columnWidth)
{
    if (line.size() > kWholeLineLimit)
        return nullptr;
    QGraphicsItem *item = hlp.createPageTextItem(line, format);
    const QRectF bounds = item->boundingRect();
    const bool tooTall = !d->columnHasLine && !(hlp.contentHeight() > columnY + bounds.height())
            && MvTextFitter::hasLineBreak(line);
    if (bounds.width() <= columnWidth && !tooTall)
        return item;
    delete item;
    return nullptr;
}

// Adds the outline entry of the line being placed, which stands at top, when it matches the
// outline's pattern. False, the layout refused, when the pattern cannot be matched against it
// (the expression engine gave up) or matching has taken too long in this pass, which must not
// keep a cancel waiting.
bool PDFRenderer::matchOutline(double top)
{
    QElapsedTimer timer;
    timer.start();
    const QRegularExpressionMatch match = d->outlineExpression.match(line);
    d->matchingTime += timer.nsecsElapsed();
    const QString pattern = d->outlineExpression.pattern();
    const bool tooSlow = d->matchingTime > kMaxMatchingPerPass;
    if (!match.isValid() || tooSlow) {
        MvFailure failure(tooSlow && match.isValid() ? MvFailure::Reason::OutlinePatternTooSlow
                                                     : MvFailure::Reason::OutlinePatternFailed);
        failure.setLine(lineNo);
        failure.setDetail(pattern);
        PDFRendererBase::Private::get(this)->fail(
                *this, failure, match.isValid() ? outlinePatternTooSlowMessage(lineNo, pattern)
                                                : outlinePatternFailedMessage(lineNo, pattern));
        return false;
    }
    if (match.hasMatch())
        addOutlineLine(lineNo - 1, top);
    return true;
}

// A piece of the line ending before next is placed: the rest, if any, comes next.
void PDFRenderer::piecePlaced(int next)
{
    d->offset = next;
    if (next < line.size()) {
        holdLine = true;
        return;
    }
    d->cutting = false;
    d->offset = 0;
}

void PDFRenderer::startNextColumn(const QTextCharFormat &format)
{
    ++column;
    columnY = 0.0;
    hlp.flushColumn();
    columnY = emitHeadings(format);
    d->columnHasLine = false;
}

void PDFRenderer::finishFullPage(const QTextCharFormat &format)
{
    hlp.columnSeparators();
    hlp.render(output.painter(), output.pageRect());
    percDone = linesTaken() * 100.0 / owner->reportLines().size();
    output.newPage();
    hlp.flushPageItemsForReuse();
    column = 0;
    columnY = 0.0;
    ++pageNum;
    hlp.setPageNum(pageNum);
    twoColumns = d->alwaysTwoColumns;
    // The held line (or the part of it still to place) opens the next page.
    pageStart = current - 1;
    pageStartLineNo = lineNo - 1;
    d->pageStartOffset = d->offset;
    d->pageStartCutting = d->cutting;
    columnY = emitHeadings(format);
    d->columnHasLine = false;
}

// The lines taken, the held one included; a line cut across pages counts by the share of it
// already placed.
double PDFRenderer::linesTaken() const
{
    double taken = lineNo;
    if (d->offset > 0)
        taken -= 1.0 - double(d->offset) / line.size();
    return taken;
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
    const int columns = twoColumns ? kWideColumns : kNarrowColumns;
    return hlp.emitTextList(columnY, column, fittedHeadings(format, columns), format);
}

// The job's heading lines, each cut to fit a column of a page of columns columns.
const QStringList &PDFRenderer::fittedHeadings(const QTextCharFormat &format, int columns)
{
    const QStringList &headings = owner->continuationHeader();
    if (headings != d->headings) {
        d->headings = headings;
        d->fittedHeadings.clear();
    }
    auto fitted = d->fittedHeadings.find(columns);
    if (fitted != d->fittedHeadings.end())
        return *fitted;
    const double width = hlp.width() / columns;
    QStringList pieces;
    for (const QString &heading : headings) {
        const std::unique_ptr<QGraphicsItem> item(hlp.createTextItemWithFormat(heading, format));
        if (item->boundingRect().width() <= width)
            pieces.append(heading);
        else
            pieces += d->fitter.cut(heading, format, width);
    }
    return *d->fittedHeadings.insert(columns, pieces);
}

QString PDFRenderer::outlinePatternFailedMessage(int line, const QString &pattern)
{
    // One substitution pass: place markers in the pattern stay as written.
    return QStringLiteral("Nie można dopasować wzorca konspektu do wiersza %1: %2")
            .arg(QString::number(line), pattern);
}

QString PDFRenderer::outlinePatternTooSlowMessage(int line, const QString &pattern)
{
    return QStringLiteral("Wzorzec konspektu jest zbyt wolny (wiersz %1): %2").arg(QString::number(line), pattern);
}
