#include "textinput.h"

#include "tool.h"
#include "utf8lines.h"

#include <algorithm>
#include <cstring>
#include <iconv.h>

namespace {

// How many faulty line numbers a message lists before it says "and more".
constexpr int kListedLines = 10;
// The start of a file, where its kind shows: magic numbers, and the control bytes of binary data.
constexpr int kSniffedBytes = 64 * 1024;
// Text holds no control bytes but line ends, tabs and the printer's escapes, now and then one
// more (a printer's parameter bytes); binary data many: more than one byte in this many.
constexpr int kBytesPerControl = 4;
// Room for what iconv makes of a line: no encoding makes more bytes of UTF-8 of a byte (TSCII
// makes up to 12).
constexpr int kMostBytesAByte = 16;
constexpr int kRoomSlack = 64;
// The most the converted text may take: room for 16 bytes a byte of the largest input the
// tool reads, well within what a QByteArray holds.
constexpr qint64 kMostConvertedBytes = qint64(3) << 29;

bool isControl(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    // Line ends, tabs, form feeds and the printer's ESC are text's own control bytes.
    return byte < 0x20 && byte != '\n' && byte != '\r' && byte != '\t' && byte != '\v' && byte != '\f'
            && byte != 0x1B;
}

// A PDF's header is followed by objects, or at least by its end.
bool pdfBody(const QByteArray &data)
{
    return data.left(kSniffedBytes).contains("endobj") || data.right(kSniffedBytes).contains("%%EOF");
}

// A GIF's screen descriptor (width, height, flags) follows its signature: binary numbers.
bool gifDescriptor(const QByteArray &data)
{
    const QByteArray descriptor = data.mid(6, 7);
    return std::any_of(descriptor.cbegin(), descriptor.cend(), isControl);
}

// A bzip2 stream's block size digit and its first block's magic number.
bool bzip2Block(const QByteArray &data)
{
    return data.size() >= 10 && data.at(3) >= '1' && data.at(3) <= '9' && data.mid(4, 6) == "1AY&SY";
}

// Files often mistaken for text: images, PDFs, archives, programs, with what they are. A
// signature that text may begin with too is confirmed by what follows it.
struct Magic
{
    const char *bytes;
    int length;
    const char *kind;
    bool (*confirmed)(const QByteArray &data);
};
const Magic kBinaryMagic[] = {
    {"\x89PNG\r\n\x1A\n", 8, QT_TRANSLATE_NOOP("Tool", "a PNG image"), nullptr},
    {"%PDF-", 5, QT_TRANSLATE_NOOP("Tool", "a PDF document"), pdfBody},
    {"\xFF\xD8\xFF", 3, QT_TRANSLATE_NOOP("Tool", "a JPEG image"), nullptr},
    {"GIF87a", 6, QT_TRANSLATE_NOOP("Tool", "a GIF image"), gifDescriptor},
    {"GIF89a", 6, QT_TRANSLATE_NOOP("Tool", "a GIF image"), gifDescriptor},
    {"PK\x03\x04", 4, QT_TRANSLATE_NOOP("Tool", "a ZIP archive"), nullptr},
    {"\x1F\x8B\x08", 3, QT_TRANSLATE_NOOP("Tool", "a gzip archive"), nullptr},
    {"\x7F" "ELF", 4, QT_TRANSLATE_NOOP("Tool", "a program"), nullptr},
    {"BZh", 3, QT_TRANSLATE_NOOP("Tool", "a bzip2 archive"), bzip2Block},
    {"\xFD" "7zXZ\0", 6, QT_TRANSLATE_NOOP("Tool", "an xz archive"), nullptr}};

// Byte-order marks, the longer first (UTF-32's starts like UTF-16's), with their encodings.
struct Mark
{
    const char *bytes;
    int length;
    const char *encoding;
};
const char kUtf8Mark[] = "\xEF\xBB\xBF";
const Mark kMarks[] = {{"\xFF\xFE\x00\x00", 4, "UTF-32"}, {"\x00\x00\xFE\xFF", 4, "UTF-32"},
                       {"\xFF\xFE", 2, "UTF-16"}, {"\xFE\xFF", 2, "UTF-16"},
                       {"\xEF\xBB\xBF", 3, "UTF-8"}};

// The older encodings of Polish text, as the hint names them, and the name to ask for them.
struct Candidate
{
    const char *name;
    const char *option;
};
const Candidate kCandidates[] = {{"windows-1250", "cp1250"}, {"ISO-8859-2", "iso-8859-2"}, {"CP852", "cp852"}};

bool isUtf8(const QString &encoding)
{
    const QString name = encoding.trimmed().toLower();
    return name.isEmpty() || name == QLatin1String("utf-8") || name == QLatin1String("utf8");
}

// What a line end is in encoding, as iconv writes it ("\n" in the encodings of byte-wide
// code units that keep ASCII's line end); empty for an encoding iconv does not know.
QByteArray encodedLineEnd(const QByteArray &encoding)
{
    const iconv_t converter = ::iconv_open(encoding.constData(), "UTF-8");
    if (converter == iconv_t(-1))
        return QByteArray();
    char lineEnd[] = "\n";
    char encoded[kRoomSlack];
    char *in = lineEnd;
    size_t inLeft = 1;
    char *out = encoded;
    size_t outLeft = sizeof encoded;
    const bool converted = ::iconv(converter, &in, &inLeft, &out, &outLeft) != size_t(-1)
            && ::iconv(converter, nullptr, nullptr, &out, &outLeft) != size_t(-1);
    ::iconv_close(converter);
    return converted ? QByteArray(encoded, int(out - encoded)) : QByteArray();
}

// What a file that is no text looks like ("a PNG image"), or empty for what may be text read
// as encoding: a known magic number, or (for an encoding of byte-wide code units, in which a
// NUL is no text) a share of control bytes that text never has.
QString binaryKind(const QByteArray &data, const QByteArray &encoding)
{
    for (const Magic &magic : kBinaryMagic) {
        if (data.startsWith(QByteArray::fromRawData(magic.bytes, magic.length)) && (!magic.confirmed || magic.confirmed(data)))
            return Tool::tr(magic.kind);
    }
    if (encodedLineEnd(encoding).size() > 1)
        return QString();
    const QByteArray start = data.left(kSniffedBytes);
    const qint64 controls = std::count_if(start.cbegin(), start.cend(), isControl);
    return controls * kBytesPerControl > start.size() ? Tool::tr("binary data") : QString();
}

// data converted from encoding into UTF-8 by iconv; false for an unknown encoding or at the first byte
// that cannot be converted, whose offset is then *badOffset (-1 for an unknown encoding).
// In an encoding that keeps ASCII's line end iconv is given a line at a time (its state goes
// on from line to line), always with room for the most it can make of it: the C library's
// TSCII converter gives other text across long runs of input in one call, and after it has
// asked for room.
bool convert(const QByteArray &data, const QByteArray &encoding, QByteArray *text, qint64 *badOffset)
{
    *badOffset = -1;
    const bool byLines = encodedLineEnd(encoding) == "\n";
    const iconv_t converter = ::iconv_open("UTF-8", encoding.constData());
    if (converter == iconv_t(-1))
        return false;
    QByteArray utf8;
    qint64 written = 0;
    char *in = const_cast<char *>(data.constData());
    char *const end = in + data.size();
    bool converted = true;
    while (converted) {
        char *const lineEnd = byLines ? static_cast<char *>(std::memchr(in, '\n', size_t(end - in))) : nullptr;
        size_t inLeft = size_t((lineEnd ? lineEnd + 1 : end) - in);
        const qint64 room = qint64(inLeft) * kMostBytesAByte + kRoomSlack;
        if (utf8.size() - written < room) {
            const qint64 size = qMin(qMax(written + room, qint64(utf8.size()) * 2), kMostConvertedBytes);
            if (size < written + room) {
                converted = false;
                break;
            }
            utf8.resize(int(size));
        }
        char *out = utf8.data() + written;
        size_t outLeft = size_t(utf8.size() - written);
        // The last piece ends the text, and a stateful encoding's state with it.
        const bool last = !lineEnd || lineEnd + 1 == end;
        converted = ::iconv(converter, &in, &inLeft, &out, &outLeft) != size_t(-1)
                && (!last || ::iconv(converter, nullptr, nullptr, &out, &outLeft) != size_t(-1));
        written = out - utf8.data();
        if (last)
            break;
    }
    ::iconv_close(converter);
    if (!converted) {
        *badOffset = in - data.constData();
        return false;
    }
    utf8.truncate(int(written));
    utf8.squeeze();
    *text = utf8;
    return true;
}

// The line (from 1) of the text in encoding that holds the byte at offset, as the text up to
// it reads.
int lineAt(const QByteArray &data, const QByteArray &encoding, qint64 offset)
{
    QByteArray before;
    qint64 unused = 0;
    if (!convert(data.left(int(offset)), encoding, &before, &unused))
        return data.left(int(offset)).count('\n') + 1;
    return before.count('\n') + 1;
}

// The older encoding in which data reads as the most Polish letters, if any: the hint for a
// file that is not UTF-8.
const Candidate *likelyEncoding(const QByteArray &data)
{
    static const QString polish = QStringLiteral("ąćęłńóśźżĄĆĘŁŃÓŚŹŻ");
    const QByteArray sample = data.left(kSniffedBytes);
    const Candidate *best = nullptr;
    int bestLetters = 0;
    for (const Candidate &candidate : kCandidates) {
        QByteArray utf8;
        qint64 bad = 0;
        if (!convert(sample, candidate.name, &utf8, &bad))
            continue;
        const QString text = QString::fromUtf8(utf8);
        const int letters = int(std::count_if(text.cbegin(), text.cend(),
                                              [](QChar c) { return polish.contains(c); }));
        if (letters > bestLetters) {
            best = &candidate;
            bestLetters = letters;
        }
    }
    return best;
}

// Whether iconv, converting from encoding, gives the byte-order mark back as a U+FEFF: the
// converter of an encoding named with its byte order does, that of a name without one reads
// the mark and gives nothing for it.
bool keepsMark(const Mark &mark, const QByteArray &encoding)
{
    QByteArray converted;
    qint64 badOffset = 0;
    return convert(QByteArray::fromRawData(mark.bytes, mark.length), encoding, &converted, &badOffset)
            && converted.startsWith(kUtf8Mark);
}

bool decodeUtf8Lines(const QByteArray &data, const QString &name, QStringList *lines, QString *error)
{
    Utf8Lines::Split split = Utf8Lines::split(data.constData(), data.size(), kListedLines);
    if (split.invalidCount == 0) {
        *lines = std::move(split.lines);
        return true;
    }
    QStringList badLines;
    for (const int line : qAsConst(split.invalidLines))
        badLines.append(QString::number(line));
    QString list = badLines.join(QStringLiteral(", "));
    if (split.invalidCount > kListedLines)
        list += Tool::tr(" and %1 more").arg(split.invalidCount - kListedLines);
    *error = Tool::tr("%1: invalid UTF-8 on line(s) %2", nullptr, split.invalidCount).arg(name, list);
    if (const Candidate *likely = likelyEncoding(data))
        *error += Tool::tr(" (it looks like %1: try --encoding %2)")
                .arg(QLatin1String(likely->name), QLatin1String(likely->option));
    return false;
}

} // namespace

namespace TextInput {

bool knownEncoding(const QString &encoding)
{
    if (isUtf8(encoding))
        return true;
    const iconv_t converter = ::iconv_open("UTF-8", encoding.toLatin1().constData());
    if (converter == iconv_t(-1))
        return false;
    ::iconv_close(converter);
    return true;
}

bool decodeLines(const QByteArray &data, const QString &name, const QString &encoding,
                 QStringList *lines, QString *error)
{
    // A byte-order mark says what the text is, unless the operator named an encoding: then
    // only that encoding's own mark counts (iconv reads UTF-16's and UTF-32's itself).
    const bool named = !encoding.trimmed().isEmpty();
    QByteArray from = isUtf8(encoding) ? QByteArray("UTF-8") : encoding.trimmed().toLatin1();
    const Mark *leading = nullptr;
    for (const Mark &mark : kMarks) {
        if (data.startsWith(QByteArray::fromRawData(mark.bytes, mark.length))) {
            leading = &mark;
            if (!named)
                from = mark.encoding;
            break;
        }
    }
    const bool markedUtf8 = from == "UTF-8" && data.startsWith("\xEF\xBB\xBF");
    const QByteArray text8 = markedUtf8 ? data.mid(3) : data;
    const QString kind = binaryKind(text8, from);
    if (!kind.isEmpty()) {
        *error = Tool::tr("%1: not a text file (it looks like %2)").arg(name, kind);
        return false;
    }
    if (from == "UTF-8")
        return decodeUtf8Lines(text8, name, lines, error);
    QByteArray text;
    qint64 badOffset = 0;
    if (!convert(data, from, &text, &badOffset)) {
        if (badOffset < 0)
            *error = Tool::tr("--encoding: unknown encoding \"%1\"").arg(encoding);
        else
            *error = Tool::tr("%1: not valid %2 on line %3").arg(name, QString::fromLatin1(from))
                    .arg(lineAt(data, from, badOffset));
        return false;
    }
    // A mark iconv kept (that of an encoding named with its byte order) is no character of the
    // text, but a U+FEFF after a mark iconv read is; what iconv makes is valid UTF-8.
    const int mark = leading && text.startsWith(kUtf8Mark) && keepsMark(*leading, from) ? 3 : 0;
    return decodeUtf8Lines(QByteArray::fromRawData(text.constData() + mark, text.size() - mark), name, lines, error);
}

} // namespace TextInput
