#include "utf8lines.h"

#include <QtAlgorithms>

#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

// Where the line that begins at p ends (at its "\n", or at end), and whether all of it is
// ASCII: one look at each byte, sixteen at a time where the processor can.
const uchar *lineEnd(const uchar *p, const uchar *end, bool *ascii)
{
    uint high = 0;
#ifdef __SSE2__
    constexpr int kBlock = int(sizeof(__m128i));
    const __m128i newline = _mm_set1_epi8('\n');
    for (; end - p >= kBlock; p += kBlock) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        const uint found = uint(_mm_movemask_epi8(_mm_cmpeq_epi8(block, newline)));
        const uint highBits = uint(_mm_movemask_epi8(block));
        if (found != 0) {
            const uint at = qCountTrailingZeroBits(found);
            *ascii = (high | (highBits & ((1u << at) - 1))) == 0;
            return p + at;
        }
        high |= highBits;
    }
#endif
    for (; p < end && *p != '\n'; ++p)
        high |= *p & 0x80u;
    *ascii = high == 0;
    return p;
}

// Whether [p, end) is valid UTF-8: each lead byte followed by as many continuation bytes as
// it announces, the second byte narrowed where the shortest form, the surrogates or the
// limit of U+10FFFF decide.
bool isValid(const uchar *p, const uchar *end)
{
    while (p < end) {
        const uchar lead = *p;
        if (lead < 0x80) {
            ++p;
            continue;
        }
        int following = 0;
        if (lead >= 0xC2 && lead <= 0xDF)
            following = 1;
        else if (lead >= 0xE0 && lead <= 0xEF)
            following = 2;
        else if (lead >= 0xF0 && lead <= 0xF4)
            following = 3;
        else
            return false;
        if (end - p <= following)
            return false;
        const uchar second = p[1];
        if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F)
            || (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F))
            return false;
        for (int i = 1; i <= following; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
        }
        p += following + 1;
    }
    return true;
}

// Qt drops a U+FEFF that begins the text it decodes, as if it marked the text's encoding.
QString fromValidUtf8(const char *bytes, int length)
{
    static const char kMark[] = "\xEF\xBB\xBF";
    constexpr int kMarkLength = int(sizeof kMark) - 1;
    if (length < kMarkLength || std::memcmp(bytes, kMark, kMarkLength) != 0)
        return QString::fromUtf8(bytes, length);
    return QChar(QChar::ByteOrderMark) + QString::fromUtf8(bytes + kMarkLength, length - kMarkLength);
}

} // namespace

namespace Utf8Lines {

Split split(const char *bytes, qsizetype size, int listed)
{
    const auto *p = reinterpret_cast<const uchar *>(bytes);
    const uchar *const end = p + size;
    Split result;
    int lineNumber = 0;
    while (p < end) {
        bool ascii = false;
        const uchar *stop = lineEnd(p, end, &ascii);
        const uchar *const next = stop < end ? stop + 1 : end;
        if (stop > p && stop[-1] == '\r')
            --stop;
        ++lineNumber;
        const char *const line = reinterpret_cast<const char *>(p);
        const int length = int(stop - p);
        if (ascii) {
            if (result.invalidCount == 0)
                result.lines.append(QString::fromLatin1(line, length));
        } else if (isValid(p, stop)) {
            if (result.invalidCount == 0)
                result.lines.append(fromValidUtf8(line, length));
        } else if (++result.invalidCount <= listed) {
            result.invalidLines.append(lineNumber);
        }
        p = next;
    }
    if (result.invalidCount > 0)
        result.lines.clear();
    return result;
}

} // namespace Utf8Lines
