// The command-line tool's reading of text inputs, in every kind of encoding, on fuzzer-chosen
// bytes: the first byte picks the encoding (--encoding's value, or none), the rest is the
// file. Text that is read keeps every character: its lines, joined again, are the whole text
// as iconv (or Qt, for UTF-8) decodes it, line ends aside; text that is refused says why.
#include "textinput.h"

#include <QCoreApplication>

#include <cstdlib>
#include <iconv.h>

namespace {

const char *const kEncodings[] = {"", "utf-8", "cp1250", "iso-8859-2", "cp852", "utf-16", "utf-16le",
                                  "utf-32", "TSCII", "SHIFT_JIS"};
constexpr int kEncodingCount = int(sizeof kEncodings / sizeof kEncodings[0]);
// No encoding makes more bytes of UTF-8 than this of a byte.
constexpr int kMostBytesAByte = 16;

// bytes decoded by iconv in one go into text; false if iconv cannot.
bool decode(const QByteArray &bytes, const char *encoding, QString *text)
{
    const iconv_t converter = ::iconv_open("UTF-8", encoding);
    if (converter == iconv_t(-1))
        return false;
    QByteArray out(bytes.size() * kMostBytesAByte + kMostBytesAByte, '\0');
    char *in = const_cast<char *>(bytes.constData());
    size_t inLeft = size_t(bytes.size());
    char *to = out.data();
    size_t outLeft = size_t(out.size());
    const bool done = ::iconv(converter, &in, &inLeft, &to, &outLeft) != size_t(-1)
            && ::iconv(converter, nullptr, nullptr, &to, &outLeft) != size_t(-1);
    ::iconv_close(converter);
    *text = QString::fromUtf8(out.constData(), int(to - out.constData()));
    return done;
}

QString decoded(const QByteArray &bytes, const char *encoding)
{
    QString text;
    return decode(bytes, encoding, &text) ? text : QString();
}

// bytes of an encoding that keeps ASCII's line end, a line at a time, each on its own (the
// C library's TSCII converter garbles long runs of lines given at once).
QString decodedByLines(const QByteArray &bytes, const char *encoding)
{
    QString text;
    for (int from = 0; from < bytes.size();) {
        const int lineEnd = bytes.indexOf('\n', from);
        const int next = lineEnd < 0 ? bytes.size() : lineEnd + 1;
        QString line;
        if (!decode(bytes.mid(from, next - from), encoding, &line))
            return QString();
        text += line;
        from = next;
    }
    return text;
}

// The text as lines show it: "\r\n" is a line end, and so is a last "\n" (or "\r" after the last
// line end); byte-order marks are no text.
QString asLines(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    if (text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r')))
        text.chop(1);
    return text.remove(QChar(0xFEFF));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    if (size == 0)
        return 0;
    const QString encoding = QString::fromLatin1(kEncodings[bytes[0] % kEncodingCount]);
    const QByteArray data(reinterpret_cast<const char *>(bytes) + 1, int(size - 1));
    QStringList lines;
    QString error;
    const bool read = TextInput::decodeLines(data, QStringLiteral("fuzz.txt"), encoding, &lines, &error);
    if (read == !error.isEmpty())
        std::abort();
    // What the text is: as named, else as its byte-order mark says, else UTF-8.
    QString reference;
    const QString named = encoding.toLower();
    const bool utf32Mark = data.startsWith(QByteArray("\xFF\xFE\x00\x00", 4)) || data.startsWith(QByteArray("\x00\x00\xFE\xFF", 4));
    const bool utf16Mark = data.startsWith("\xFF\xFE") || data.startsWith("\xFE\xFF");
    const bool utf8 = named == QLatin1String("utf-8") || (named.isEmpty() && !utf32Mark && !utf16Mark);
    // UTF-8 is read exactly when it is valid: when what Qt decodes of it (a first mark dropped)
    // encodes back to it.
    const QByteArray unmarked = data.startsWith("\xEF\xBB\xBF") ? data.mid(3) : data;
    if (utf8 && (read || error.contains(QLatin1String("invalid UTF-8")))
        && read != (QString::fromUtf8(data.constData(), data.size()).toUtf8() == unmarked))
        std::abort();
    if (!read)
        return 0;
    if (named.isEmpty() && utf32Mark)
        reference = decoded(data, "UTF-32");
    else if (named.isEmpty() && utf16Mark)
        reference = decoded(data, "UTF-16");
    else if (utf8)
        reference = QString::fromUtf8(data.constData(), data.size());
    else if (named.startsWith(QLatin1String("utf-")))
        reference = decoded(data, encoding.toLatin1().constData());
    else
        reference = decodedByLines(data, encoding.toLatin1().constData());
    if (lines.join(QLatin1Char('\n')).remove(QChar(0xFEFF)) != asLines(reference))
        std::abort();
    return 0;
}
