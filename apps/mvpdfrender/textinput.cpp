#include "textinput.h"

#include "tool.h"

#include <QtGlobal>
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
#include <QStringDecoder>
#else
#include <QTextCodec>
#endif

#include <algorithm>
#include <iconv.h>

namespace {

// How many faulty line numbers a message lists before it says "and more".
constexpr int kListedLines = 10;
// The start of a file, where its kind shows: magic numbers, and NUL bytes of binary data.
constexpr int kSniffedBytes = 64 * 1024;
// Text holds no NUL, a printer line now and then one; binary data (or UTF-16 without its
// byte-order mark) many: more than one byte in this many.
constexpr int kBytesPerNul = 4;
// UTF-8 expands a byte of a single-byte encoding into at most 3 bytes, UTF-16 into at most 1.5.
constexpr int kUtf8Expansion = 3;

// Files often mistaken for text: images, PDFs, archives, programs.
const char *const kBinaryMagic[] = {"\x89PNG", "%PDF-", "\xFF\xD8\xFF", "GIF8", "PK\x03\x04", "\x1F\x8B",
                                    "\x7F" "ELF", "BZh", "\xFD" "7zXZ"};

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

bool looksBinary(const QByteArray &data)
{
    for (const char *magic : kBinaryMagic) {
        if (data.startsWith(magic))
            return true;
    }
    const QByteArray start = data.left(kSniffedBytes);
    return start.count('\0') * kBytesPerNul > start.size();
}

// data converted from encoding by iconv; false for an unknown encoding or at the first byte
// that cannot be converted, whose offset is then *badOffset (-1 for an unknown encoding).
bool convert(const QByteArray &data, const QByteArray &encoding, QString *text, qint64 *badOffset)
{
    *badOffset = -1;
    const iconv_t converter = ::iconv_open("UTF-8", encoding.constData());
    if (converter == iconv_t(-1))
        return false;
    QByteArray utf8(data.size() * kUtf8Expansion + 16, Qt::Uninitialized);
    char *in = const_cast<char *>(data.constData());
    size_t inLeft = size_t(data.size());
    char *out = utf8.data();
    size_t outLeft = size_t(utf8.size());
    const bool converted = ::iconv(converter, &in, &inLeft, &out, &outLeft) != size_t(-1)
            && ::iconv(converter, nullptr, nullptr, &out, &outLeft) != size_t(-1);
    ::iconv_close(converter);
    if (!converted) {
        *badOffset = in - data.constData();
        return false;
    }
    utf8.truncate(int(out - utf8.data()));
    *text = QString::fromUtf8(utf8);
    return true;
}

// The lines of text: split at "\n", a "\r" before it dropped, no line after a last "\n".
QStringList splitLines(const QString &text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QString &line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    return lines;
}

// One line decoded from UTF-8; false when it is not valid UTF-8. Qt 6 decodes with
// QStringDecoder, Qt 5 with QTextCodec (which Qt 6 moved out of its core).
bool decodeUtf8(const char *bytes, int length, QString *line)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    *line = decoder.decode(QByteArrayView(bytes, length));
    return !decoder.hasError();
#else
    QTextCodec::ConverterState state(QTextCodec::ConvertInvalidToNull);
    *line = QTextCodec::codecForName("UTF-8")->toUnicode(bytes, length, &state);
    return state.invalidChars == 0 && state.remainingChars == 0;
#endif
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
        QString text;
        qint64 bad = 0;
        if (!convert(sample, candidate.name, &text, &bad))
            continue;
        const int letters = int(std::count_if(text.cbegin(), text.cend(),
                                              [](QChar c) { return polish.contains(c); }));
        if (letters > bestLetters) {
            best = &candidate;
            bestLetters = letters;
        }
    }
    return best;
}

bool decodeUtf8Lines(const QByteArray &data, const QString &name, QStringList *lines, QString *error)
{
    QStringList result;
    QStringList badLines;
    int badCount = 0;
    int lineNumber = 0;
    const int size = int(data.size());
    for (int start = 0; start < size;) {
        int end = int(data.indexOf('\n', start));
        const int next = end < 0 ? size : end + 1;
        if (end < 0)
            end = size;
        if (end > start && data.at(end - 1) == '\r')
            --end;
        ++lineNumber;
        QString line;
        if (!decodeUtf8(data.constData() + start, end - start, &line) && ++badCount <= kListedLines)
            badLines.append(QString::number(lineNumber));
        result.append(line);
        start = next;
    }
    if (badCount == 0) {
        *lines = result;
        return true;
    }
    QString list = badLines.join(QStringLiteral(", "));
    if (badCount > kListedLines)
        list += Tool::tr(" and %1 more").arg(badCount - kListedLines);
    *error = Tool::tr("%1: invalid UTF-8 on line(s) %2", nullptr, badCount).arg(name, list);
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
    // A byte-order mark says what the text is.
    QByteArray from = isUtf8(encoding) ? QByteArray("UTF-8") : encoding.trimmed().toLatin1();
    if (data.startsWith("\xFF\xFE") || data.startsWith("\xFE\xFF"))
        from = "UTF-16";
    else if (data.startsWith("\xEF\xBB\xBF"))
        from = "UTF-8";
    if ((from == "UTF-8" && looksBinary(data)) || data.startsWith("%PDF-") || data.startsWith("\x89PNG")) {
        *error = Tool::tr("%1: not a text file").arg(name);
        return false;
    }
    if (from == "UTF-8")
        return decodeUtf8Lines(data.startsWith("\xEF\xBB\xBF") ? data.mid(3) : data, name, lines, error);
    QString text;
    qint64 badOffset = 0;
    if (!convert(data, from, &text, &badOffset)) {
        if (badOffset < 0)
            *error = Tool::tr("--encoding: unknown encoding \"%1\"").arg(encoding);
        else
            *error = Tool::tr("%1: not valid %2 on line %3").arg(name, QString::fromLatin1(from))
                    .arg(data.left(int(badOffset)).count('\n') + 1);
        return false;
    }
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    *lines = splitLines(text);
    return true;
}

} // namespace TextInput
