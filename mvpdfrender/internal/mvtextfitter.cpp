#include "mvtextfitter.h"

#include "asyncreportshelper.h"
#include "mvtextitem.h"
#include "mvtextlayout.h"

#include <QFontMetricsF>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QVector>

#include <cmath>

namespace {

// Characters beyond the estimate that a stretch holds, so that the estimate may be short.
constexpr int kWindowSlack = 16;
// A stretch is laid out at least this long, and the estimate from the last piece at most
// this long (the stretch grows as needed beyond it).
constexpr int kMinWindow = 32;
constexpr int kMaxHintedWindow = 4096;
// Steps back, one grapheme each, before the cut is searched for by halving instead.
constexpr int kMaxStepsBack = 4;

// What starts a new line in a text item: a new block or a line separator.
bool isLineBreak(QChar c)
{
    switch (c.unicode()) {
    case '\n':
    case '\r':
    case QChar::LineSeparator:
    case QChar::ParagraphSeparator:
    case 0xFDD0:   // QTextBeginningOfFrame
    case 0xFDD1:   // QTextEndOfFrame
        return true;
    default:
        return false;
    }
}

double itemWidth(const QGraphicsItem *item)
{
    return item->boundingRect().width();
}

} // namespace

MvTextFitter::MvTextFitter(AsyncReportsHelper &helper) : helper(helper)
{
}

MvTextFitter::~MvTextFitter() = default;

bool MvTextFitter::hasLineBreak(const QString &text)
{
    for (const QChar c : text) {
        if (isLineBreak(c))
            return true;
    }
    return false;
}

QGraphicsItem *MvTextFitter::makeItem(const QString &text, const QTextCharFormat &format,
                                      bool pageItem)
{
    return pageItem ? helper.createPageTextItem(text, format)
                    : helper.createTextItemWithFormat(text, format);
}

int MvTextFitter::firstWindow(const QTextCharFormat &format, double maxWidth) const
{
    if (lastPieceLength > 0)
        return qMin(lastPieceLength, kMaxHintedWindow) + kWindowSlack;
    const qreal average = QFontMetricsF(format.font(), MvTextLayout::device()).averageCharWidth();
    const int estimate = average > 0.0 ? int(std::ceil(maxWidth / average)) : kMinWindow;
    return qBound(kMinWindow, 2 * estimate, kMaxHintedWindow) + kWindowSlack;
}

QGraphicsItem *MvTextFitter::takePiece(const QString &text, int from, const QTextCharFormat &format,
                                       double maxWidth, bool pageItem, int *next)
{
    // Made on first use: a text item needs the application object, which a renderer that is
    // only constructed does not.
    if (!probe)
        probe = std::make_unique<MvTextItem>();
    const int size = text.size();
    int window = firstWindow(format, maxWidth);
    for (;;) {
        int end = qMin(size, from + window);
        if (end < size && text.at(end - 1).isHighSurrogate())
            ++end;
        int stretchEnd = from;
        while (stretchEnd < end && !isLineBreak(text.at(stretchEnd)))
            ++stretchEnd;
        const bool atBreak = stretchEnd < end;
        probe->fill(text.mid(from, stretchEnd - from), format);
        if (itemWidth(probe.get()) > maxWidth) {
            QGraphicsItem *piece = cutInProbe(text, from, format, maxWidth, pageItem, next);
            lastPieceLength = *next - from;
            return piece;
        }
        if (atBreak || end == size) {
            // The whole stretch fits: it is the piece, and the next one starts past its break.
            *next = stretchEnd;
            if (atBreak) {
                const bool crLf = text.at(stretchEnd) == QLatin1Char('\r')
                        && stretchEnd + 1 < size && text.at(stretchEnd + 1) == QLatin1Char('\n');
                *next += crLf ? 2 : 1;
            }
            lastPieceLength = stretchEnd - from;
            return makeItem(probe->text, format, pageItem);
        }
        window *= 2;
    }
}

// The probe holds a stretch of text from `from` on that is wider than maxWidth: the piece is
// its longest start that fits, found from where the stretch's layout places the width limit
// and checked on the piece's own item.
QGraphicsItem *MvTextFitter::cutInProbe(const QString &text, int from, const QTextCharFormat &format,
                                        double maxWidth, bool pageItem, int *end)
{
    QTextLayout *layout = probe->document()->firstBlock().layout();
    const QTextLine line = layout->lineAt(0);
    const int stretch = probe->text.size();
    // The item is wider than its line by the document's margins.
    const double margins = itemWidth(probe.get()) - line.naturalTextWidth();
    int cut = line.xToCursor(line.x() + maxWidth - margins, QTextLine::CursorOnCharacter);
    cut = qBound(0, cut, stretch);
    if (!layout->isValidCursorPosition(cut))
        cut = layout->previousCursorPosition(cut);
    const int firstGrapheme = layout->nextCursorPosition(0);
    cut = qMax(cut, firstGrapheme);
    for (int step = 0; step <= kMaxStepsBack; ++step) {
        QGraphicsItem *piece = makeItem(text.mid(from, cut), format, pageItem);
        if (itemWidth(piece) <= maxWidth || cut == firstGrapheme) {
            *end = from + cut;
            return piece;
        }
        delete piece;
        cut = layout->previousCursorPosition(cut);
    }
    // Text whose width does not grow with its logical length (right-to-left runs, say).
    return searchInProbe(text, from, format, maxWidth, pageItem, end);
}

// The longest start of the probe's stretch whose item fits, by halving over its graphemes; at
// least one grapheme.
QGraphicsItem *MvTextFitter::searchInProbe(const QString &text, int from, const QTextCharFormat &format,
                                           double maxWidth, bool pageItem, int *end)
{
    QTextLayout *layout = probe->document()->firstBlock().layout();
    const int stretch = probe->text.size();
    QVector<int> bounds;
    for (int position = layout->nextCursorPosition(0); position < stretch;
         position = layout->nextCursorPosition(position)) {
        bounds.append(position);
    }
    int low = 1;
    int high = bounds.size() - 1;
    int fits = 0;
    while (low <= high) {
        const int middle = (low + high) / 2;
        QGraphicsItem *piece = makeItem(text.mid(from, bounds.at(middle)), format, pageItem);
        const bool narrow = itemWidth(piece) <= maxWidth;
        delete piece;
        if (narrow) {
            fits = middle;
            low = middle + 1;
        } else {
            high = middle - 1;
        }
    }
    *end = from + bounds.value(fits, stretch);
    return makeItem(text.mid(from, *end - from), format, pageItem);
}

QStringList MvTextFitter::cut(const QString &text, const QTextCharFormat &format, double maxWidth)
{
    QStringList pieces;
    int from = 0;
    do {
        int next = 0;
        QGraphicsItem *piece = takePiece(text, from, format, maxWidth, true, &next);
        pieces.append(static_cast<MvTextItem *>(piece)->text);
        delete piece;
        from = next;
    } while (from < text.size());
    return pieces;
}
