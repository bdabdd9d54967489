// Every static function and append of the formatter on fuzzer-chosen texts, widths and
// indents, limits broken included. Checks what must always hold besides not crashing.
#include "mvstringformatter.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>

namespace {

// Mostly sensible widths, sometimes far outside every limit.
int pickWidth(FuzzedDataProvider &data)
{
    return data.ConsumeBool() ? data.ConsumeIntegralInRange(-8, 120)
                              : data.ConsumeIntegralInRange(-100000, 100000);
}

QString pickText(FuzzedDataProvider &data)
{
    const std::string bytes = data.ConsumeRandomLengthString(400);
    return QString::fromUtf8(bytes.data(), int(bytes.size()));
}

void require(bool condition)
{
    if (!condition)
        std::abort();
}

int nonSpaceCount(const QStringList &lines)
{
    int count = 0;
    for (const QString &line : lines) {
        for (QChar c : line)
            count += c.isSpace() ? 0 : 1;
    }
    return count;
}

int nonSpaceCount(const QString &text)
{
    return nonSpaceCount(QStringList{text});
}

// No half of a surrogate pair stands alone: the input, decoded from UTF-8, has none, and no
// cut or spreading may make one.
bool wellFormed(const QStringList &lines)
{
    for (const QString &line : lines) {
        for (int i = 0; i < line.size(); ++i) {
            const bool pairedHigh = line.at(i).isHighSurrogate() && i + 1 < line.size()
                    && line.at(i + 1).isLowSurrogate();
            if (pairedHigh)
                ++i;
            else if (line.at(i).isSurrogate())
                return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    const QString left = pickText(data);
    const QString right = pickText(data);
    const int width = pickWidth(data);
    const int rawIndent = pickWidth(data);
    // Padding and indents cost memory in proportion to their size (a line of 100 000 spaces
    // per character is what such a request means): keep those within a few thousand.
    const int paddingWidth = qBound(-10, width, 2000);
    const int indent = qBound(-10, rawIndent, 2000);

    using F = MvStringFormatter;
    const QStringList simple = F::wrapSimple(left, size_t(qint64(width)));
    require(simple.join(QString()) == left && wellFormed(simple));
    const QStringList words = F::wrap(left, size_t(qint64(width)));
    require(nonSpaceCount(words) == nonSpaceCount(left) && wellFormed(words));
    const QStringList rightAligned = F::wrapRightAligned(left, width);
    require(rightAligned.size() <= 2 && wellFormed(rightAligned));
    const QStringList multiline = F::wrappedMultiline(left, right, paddingWidth);
    require(nonSpaceCount(multiline) == nonSpaceCount(left + right) && wellFormed(multiline));
    F::FormatL(left, paddingWidth);
    F::FormatR(left, paddingWidth);
    F::FormatC(left, paddingWidth);
    F::FormatW(left, right, paddingWidth);
    F::GetSeparator(paddingWidth, right.left(3));
    const QString twice = F::MakeItTwice(left, rawIndent);
    require(nonSpaceCount(twice) == nonSpaceCount(left) && wellFormed({twice}));
    F::nBSP(left);
    F::isLongLine(left);
    const QStringList display = F::quickViewFormat({left, right});
    require(display.size() == 2 && wellFormed(display));
    F::LineMatches(right, left);
    F::asStdVector({left, right});

    MvStringFormatter formatter;
    formatter.setWidth(paddingWidth);
    formatter.Append(left, data.ConsumeBool());
    formatter.AppendSeparator(data.ConsumeBool());
    formatter.AppendEmpty(data.ConsumeIntegralInRange(-2, 3));
    formatter.AppFormatC(left);
    formatter.AppFormatW(left, right);
    formatter.AppFormatWIndent(left, right, indent);
    formatter.AppFormatWFirstWrap(left, right, data.ConsumeBool());
    formatter.AppFormatWIndentMultiline(left, right, indent);
    formatter.AppFormatIndentSecondMultiline(left, indent);
    formatter.AppFormatWRightWrap(left, right);
    formatter.AppFormatWRightWrapCommand(left, right, left, indent);
    formatter.AppFormatWrappedCentered(left);
    formatter.AppFormatWrappedRightAlign(left, right);
    formatter.AppendWrapped(left, qBound(-10, pickWidth(data), 2000), indent, data.ConsumeBool());
    require(wellFormed(formatter.lines()));
    formatter.haveCancelledLine(data.ConsumeIntegralInRange(-5, 50));
    formatter.GetLinesCount();

    MvStringFormatter other;
    other.Append(right, true);
    other.AppendSeparator(true);
    formatter.Append(other, true);
    formatter.Prepend(other, false);
    require(formatter.lines().size() >= other.lines().size());
    return 0;
}
