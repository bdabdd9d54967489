#include "columnfit.h"

#include "asyncreportshelper.h"
#include "mvkeys.h"

#include <QFontMetricsF>
#include <QGraphicsItem>
#include <QTextBoundaryFinder>
#include <QVector>

#include <memory>

namespace {

constexpr ushort kSoftHyphen = 0xAD;

// Printable ASCII and Latin-1 and Latin Extended-A letters: one glyph each, no combining.
bool isPlainLatinCharacter(ushort c)
{
    return (c >= 0x20 && c <= 0x7E) || (c >= 0xA0 && c <= 0x17F && c != kSoftHyphen);
}

} // namespace

ColumnFit::ColumnFit(AsyncReportsHelper &helper) : helper(helper), body(helper.formats[MvKeys::PrintoutFormat])
{
    const QFontMetricsF metrics(body.font(), AsyncReportsHelper::textLayoutDevice());
    const qreal advance = metrics.horizontalAdvance(QLatin1Char('x'));
    fixedPitch = advance > 0.0;
    for (ushort c = 0x20; fixedPitch && c <= 0x17F; ++c) {
        if (isPlainLatinCharacter(c))
            fixedPitch = metrics.horizontalAdvance(QChar(c)) == advance;
    }
}

double ColumnFit::measure(const QString &text, const QTextCharFormat &format) const
{
    // The item itself: its tab stops, margins and fallback fonts are the composer's business.
    const std::unique_ptr<QGraphicsItem> item(helper.createTextItemWithFormat(text, format));
    return item->boundingRect().width();
}

bool ColumnFit::isPlainLatin(const QString &line) const
{
    for (const QChar c : line) {
        if (!isPlainLatinCharacter(c.unicode()))
            return false;
    }
    return true;
}

double ColumnFit::width(const QString &text, const QTextCharFormat &format) const
{
    return format == body ? lineWidth(text) : measure(text, format);
}

double ColumnFit::lineWidth(const QString &line) const
{
    if (line.isEmpty() || !fixedPitch || !isPlainLatin(line))
        return measure(line, body);
    const QPair<int, ushort> key(line.size(), line.back().unicode());
    const auto known = plainWidths.constFind(key);
    if (known != plainWidths.constEnd())
        return *known;
    const double measured = measure(line, body);
    plainWidths.insert(key, measured);
    return measured;
}

double ColumnFit::columnWidth(int columnCount) const
{
    return helper.width() / double(columnCount);
}

bool ColumnFit::lineFits(const QString &line, bool wide) const
{
    const bool onTwoColumns = wide || line.size() > kLongLineLength;
    return lineWidth(line) <= columnWidth(onTwoColumns ? 2 : 3);
}

QStringList ColumnFit::fitLine(const QString &line, bool wide) const
{
    const double twoColumnWidth = columnWidth(2);
    const double threeColumnWidth = columnWidth(3);
    if (lineFits(line, wide))
        return QStringList{line};
    QStringList pieces;
    for (const QString &piece : cut(line, body, twoColumnWidth)) {
        // A short piece may stand on a three-column page, where it must fit too.
        if (!wide && piece.size() <= kLongLineLength && lineWidth(piece) > threeColumnWidth)
            pieces += cut(piece, body, threeColumnWidth);
        else
            pieces.append(piece);
    }
    return pieces;
}

QStringList ColumnFit::cut(const QString &text, const QTextCharFormat &format, double maxWidth) const
{
    // Cuts fall between characters as the reader sees them: never inside a surrogate pair,
    // nor between a letter and its combining marks.
    QVector<int> bounds{0};
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    while (finder.toNextBoundary() > 0)
        bounds.append(finder.position());
    if (bounds.last() != text.size())
        bounds.append(text.size());

    QStringList pieces;
    int first = 0;
    while (first < bounds.size() - 1) {
        // The most characters from `first` on that fit, found by halving; at least one.
        int fits = first + 1;
        int low = first + 2;
        int high = bounds.size() - 1;
        while (low <= high) {
            const int middle = (low + high) / 2;
            if (width(text.mid(bounds[first], bounds[middle] - bounds[first]), format) <= maxWidth) {
                fits = middle;
                low = middle + 1;
            } else {
                high = middle - 1;
            }
        }
        pieces.append(text.mid(bounds[first], bounds[fits] - bounds[first]));
        first = fits;
    }
    return pieces;
}
