#include "utf8lines.h"

#include <cstring>

namespace {

// The high bit of every byte of a word: set in none of them for ASCII.
constexpr quint64 kHighBits = 0x8080808080808080ULL;

bool isAscii(const uchar *p, const uchar *end)
{
    quint64 bits = 0;
    for (; end - p >= qsizetype(sizeof bits); p += sizeof bits) {
        quint64 word;
        std::memcpy(&word, p, sizeof word);
        bits |= word;
    }
    for (; p < end; ++p)
        bits |= *p;
    return (bits & kHighBits) == 0;
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
        const auto *newline = static_cast<const uchar *>(std::memchr(p, '\n', size_t(end - p)));
        const uchar *const next = newline ? newline + 1 : end;
        const uchar *lineEnd = newline ? newline : end;
        if (lineEnd > p && lineEnd[-1] == '\r')
            --lineEnd;
        ++lineNumber;
        const char *const line = reinterpret_cast<const char *>(p);
        const int length = int(lineEnd - p);
        if (isAscii(p, lineEnd)) {
            if (result.invalidCount == 0)
                result.lines.append(QString::fromLatin1(line, length));
        } else if (isValid(p, lineEnd)) {
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
