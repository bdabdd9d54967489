#include "mvpdfstamp.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QIODevice>
#include <QRegularExpression>

#include <algorithm>

namespace {

// The end of a file, where "startxref" and the offset of its cross-reference table stand.
constexpr qint64 kTailBytes = 1024;
constexpr qint64 kCopyChunk = 1 << 20;
// A cross-reference entry: ten digits of offset, five of generation, its type, its line end.
constexpr int kEntryBytes = 20;
constexpr int kOffsetDigits = 10;
constexpr int kEntryTypeAt = 17;
// The identifier: 16 bytes of the content's digest, written as 32 hexadecimal digits.
constexpr int kIdentifierBytes = 16;
// A PDF date holds four digits of year.
constexpr int kFirstYear = 1;
constexpr int kLastYear = 9999;

const QRegularExpression kInfoReference(QStringLiteral("/Info\\s+(\\d+)\\s+\\d+\\s+R"));
const QRegularExpression kRootReference(QStringLiteral("/Root\\s+(\\d+)\\s+\\d+\\s+R"));
const QRegularExpression kReference(QStringLiteral("^(\\d+)\\s+\\d+\\s+R$"));
const QRegularExpression kIdentifier(
        QStringLiteral("/ID\\s*\\[\\s*<([0-9A-Fa-f]{32})>\\s*<([0-9A-Fa-f]{32})>\\s*\\]"));
// A date of the XMP metadata: its value captured.
const QRegularExpression kXmpDate(
        QStringLiteral("<xmp:(?:CreateDate|ModifyDate|MetadataDate)>([^<]*)<"));

bool isWhite(char c)
{
    return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0';
}

bool isDelimiter(char c)
{
    return c == '(' || c == ')' || c == '<' || c == '>' || c == '[' || c == ']' || c == '{'
            || c == '}' || c == '/' || c == '%';
}

int skipWhite(const QByteArray &text, int at)
{
    while (at < text.size() && isWhite(text.at(at)))
        ++at;
    return at;
}

int tokenEnd(const QByteArray &text, int at)
{
    while (at < text.size() && !isWhite(text.at(at)) && !isDelimiter(text.at(at)))
        ++at;
    return at;
}

bool isInteger(const QByteArray &token)
{
    return !token.isEmpty() && std::all_of(token.cbegin(), token.cend(), [](char c) { return c >= '0' && c <= '9'; });
}

int skipValue(const QByteArray &text, int at);

// The end of the literal string starting at at: parentheses nest, a backslash escapes.
int skipLiteralString(const QByteArray &text, int at)
{
    int depth = 0;
    for (; at < text.size(); ++at) {
        const char c = text.at(at);
        if (c == '\\') {
            ++at;
        } else if (c == '(') {
            ++depth;
        } else if (c == ')' && --depth == 0) {
            return at + 1;
        }
    }
    return -1;
}

// The end of the items from at up to the closing text (">>" or "]").
int skipItems(const QByteArray &text, int at, const QByteArray &closing)
{
    for (;;) {
        at = skipWhite(text, at);
        if (at >= text.size())
            return -1;
        if (text.mid(at, closing.size()) == closing)
            return at + closing.size();
        at = skipValue(text, at);
        if (at < 0)
            return -1;
    }
}

// The end of the PDF object that starts at at (after white space), or -1 when it is cut short
// or malformed. A reference ("12 0 R") counts as one object.
int skipValue(const QByteArray &text, int at)
{
    at = skipWhite(text, at);
    if (at >= text.size())
        return -1;
    const char c = text.at(at);
    if (c == '(')
        return skipLiteralString(text, at);
    if (text.mid(at, 2) == "<<")
        return skipItems(text, at + 2, ">>");
    if (c == '<') {
        const int end = text.indexOf('>', at);
        return end < 0 ? -1 : end + 1;
    }
    if (c == '[')
        return skipItems(text, at + 1, "]");
    if (c == '/')
        return tokenEnd(text, at + 1);
    const int end = tokenEnd(text, at);
    if (end == at)
        return -1;
    if (isInteger(text.mid(at, end - at))) {
        const int generation = skipWhite(text, end);
        const int generationEnd = tokenEnd(text, generation);
        const int keyword = skipWhite(text, generationEnd);
        if (isInteger(text.mid(generation, generationEnd - generation)) && text.mid(keyword, 1) == "R"
            && tokenEnd(text, keyword) == keyword + 1)
            return keyword + 1;
    }
    return end;
}

// Where the dictionary of the indirect object in text ("12 0 obj << ... >>") starts.
int dictionaryStart(const QByteArray &text)
{
    const int keyword = text.indexOf("obj");
    const int at = keyword < 0 ? -1 : skipWhite(text, keyword + 3);
    return at >= 0 && text.mid(at, 2) == "<<" ? at : -1;
}

// The value of key in the dictionary of the object in text: [*start, *end). False when the
// key is not there.
bool findValue(const QByteArray &text, const QByteArray &key, int *start, int *end)
{
    int at = dictionaryStart(text);
    if (at < 0)
        return false;
    at += 2;
    for (;;) {
        at = skipWhite(text, at);
        if (at >= text.size() || text.mid(at, 2) == ">>")
            return false;
        const int keyEnd = skipValue(text, at);
        if (keyEnd < 0)
            return false;
        const bool found = text.mid(at, keyEnd - at) == key;
        const int valueStart = skipWhite(text, keyEnd);
        const int valueEnd = skipValue(text, valueStart);
        if (valueEnd < 0)
            return false;
        if (found) {
            *start = valueStart;
            *end = valueEnd;
            return true;
        }
        at = valueEnd;
    }
}

bool readAt(QIODevice &document, qint64 at, qint64 length, QByteArray *bytes)
{
    if (!document.seek(at))
        return false;
    *bytes = document.read(length);
    return bytes->size() == length;
}

QByteArray digits(int value, int width)
{
    return QByteArray::number(value).rightJustified(width, '0');
}

} // namespace

bool MvPdfStamp::plan(QIODevice &document, const QDateTime &moment, QString *reason)
{
    edits.clear();
    entryOffsets.clear();
    objectOffsets.clear();
    identifierAt = identifierEnd = -1;
    id.clear();
    if (!planTable(document, reason) || !planDates(document, moment, reason))
        return false;
    std::sort(edits.begin(), edits.end(), [](const Edit &a, const Edit &b) { return a.at < b.at; });
    // The table as it becomes: every offset moved by the edits before it.
    for (const int entry : entryOffsets) {
        const qint64 offset = table.mid(entry, kOffsetDigits).toLongLong();
        table.replace(entry, kOffsetDigits, QByteArray::number(shifted(offset)).rightJustified(kOffsetDigits, '0'));
    }
    const int keyword = table.lastIndexOf("startxref");
    const int number = keyword < 0 ? -1 : skipWhite(table, keyword + 9);
    const int numberEnd = number < 0 ? -1 : tokenEnd(table, number);
    if (numberEnd <= number || identifierAt > keyword) {
        *reason = QStringLiteral("the document has no end of the expected form");
        return false;
    }
    table.replace(number, numberEnd - number, QByteArray::number(crossReference()));
    return planIdentifier(document, reason);
}

// Reads the cross-reference table and trailer that the end of the document leads to.
bool MvPdfStamp::planTable(QIODevice &document, QString *reason)
{
    const qint64 size = document.size();
    const qint64 tailStart = std::max(qint64(0), size - kTailBytes);
    QByteArray tail;
    *reason = QStringLiteral("the document has no cross-reference table of the expected form");
    if (!readAt(document, tailStart, size - tailStart, &tail))
        return false;
    const int keyword = tail.lastIndexOf("startxref");
    const int number = keyword < 0 ? -1 : skipWhite(tail, keyword + 9);
    bool ok = false;
    tableStart = number < 0 ? -1 : tail.mid(number, tokenEnd(tail, number) - number).toLongLong(&ok);
    if (!ok || tableStart <= 0 || tableStart >= size || !readAt(document, tableStart, size - tableStart, &table)
        || !table.startsWith("xref"))
        return false;
    int at = 4;
    for (;;) {
        at = skipWhite(table, at);
        if (at >= table.size())
            return false;
        if (table.mid(at, 7) == "trailer")
            break;
        const int firstEnd = tokenEnd(table, at);
        const int count = skipWhite(table, firstEnd);
        const int countEnd = tokenEnd(table, count);
        const int first = table.mid(at, firstEnd - at).toInt(&ok);
        const int entries = ok ? table.mid(count, countEnd - count).toInt(&ok) : 0;
        at = skipWhite(table, countEnd);
        if (!ok || first < 0 || entries < 0 || at + qint64(entries) * kEntryBytes > table.size())
            return false;
        while (objectOffsets.size() < first + entries)
            objectOffsets.append(-1);
        for (int i = 0; i < entries; ++i, at += kEntryBytes) {
            const bool used = table.at(at + kEntryTypeAt) == 'n';
            objectOffsets[first + i] = used ? table.mid(at, kOffsetDigits).toLongLong() : -1;
            if (used)
                entryOffsets.append(at);
        }
    }
    const QString trailer = QString::fromLatin1(table.constData() + at, table.size() - at);
    const QRegularExpressionMatch identifier = kIdentifier.match(trailer);
    if (identifier.hasMatch()) {
        identifierAt = at + identifier.capturedStart(1);
        identifierEnd = at + identifier.capturedEnd(2);
    }
    reason->clear();
    return true;
}

// The text of object number, from where it starts to where the next one does.
bool MvPdfStamp::readObject(QIODevice &document, int number, qint64 *at, QByteArray *text) const
{
    if (number <= 0 || number >= objectOffsets.size() || objectOffsets.at(number) < 0)
        return false;
    *at = objectOffsets.at(number);
    qint64 end = tableStart;
    for (const qint64 offset : objectOffsets) {
        if (offset > *at && offset < end)
            end = offset;
    }
    return readAt(document, *at, end - *at, text);
}

bool MvPdfStamp::planDates(QIODevice &document, const QDateTime &moment, QString *reason)
{
    const QDateTime utc = moment.toUTC();
    const QDate day = utc.date();
    const QTime time = utc.time();
    if (!utc.isValid() || day.year() < kFirstYear || day.year() > kLastYear) {
        *reason = QStringLiteral("the moment is outside the years a PDF date holds");
        return false;
    }
    const QByteArray infoDate = "(D:" + digits(day.year(), 4) + digits(day.month(), 2) + digits(day.day(), 2)
            + digits(time.hour(), 2) + digits(time.minute(), 2) + digits(time.second(), 2) + "Z)";
    const QByteArray xmpDate = digits(day.year(), 4) + '-' + digits(day.month(), 2) + '-' + digits(day.day(), 2)
            + 'T' + digits(time.hour(), 2) + ':' + digits(time.minute(), 2) + ':' + digits(time.second(), 2) + 'Z';

    const QString trailer = QString::fromLatin1(table.mid(table.indexOf("trailer")));
    return planInfoDates(document, trailer, infoDate, reason) && planXmpDates(document, trailer, xmpDate, reason);
}

// The creation date of the document information, and its modification date where it has one.
bool MvPdfStamp::planInfoDates(QIODevice &document, const QString &trailer, const QByteArray &infoDate,
                               QString *reason)
{
    qint64 at = 0;
    QByteArray text;
    int start = 0;
    int end = 0;
    if (!readObject(document, kInfoReference.match(trailer).captured(1).toInt(), &at, &text)
        || !findValue(text, "/CreationDate", &start, &end) || text.at(start) != '(') {
        *reason = QStringLiteral("the document information has no creation date");
        return false;
    }
    edits.append({at + start, end - start, infoDate});
    if (findValue(text, "/ModDate", &start, &end) && text.at(start) == '(') {
        edits.append({at + start, end - start, infoDate});
        // The room the dates had as the writer wrote them in local time goes with them, so
        // that the information reads the same in every time zone.
        int spaces = 0;
        while (end + spaces < text.size() && text.at(end + spaces) == ' ')
            ++spaces;
        if (spaces > 0)
            edits.append({at + end, spaces, QByteArray()});
    }
    return true;
}

// The dates of the XMP metadata, where the catalogue has it (PDF/A), and the stream's length
// when they change it.
bool MvPdfStamp::planXmpDates(QIODevice &document, const QString &trailer, const QByteArray &xmpDate,
                              QString *reason)
{
    qint64 at = 0;
    QByteArray text;
    int start = 0;
    int end = 0;
    if (!readObject(document, kRootReference.match(trailer).captured(1).toInt(), &at, &text)
        || !findValue(text, "/Metadata", &start, &end))
        return true;
    const int metadata = kReference.match(QString::fromLatin1(text.mid(start, end - start))).captured(1).toInt();
    bool ok = false;
    const bool read = readObject(document, metadata, &at, &text) && findValue(text, "/Length", &start, &end);
    const qint64 length = read ? text.mid(start, end - start).toLongLong(&ok) : 0;
    const int dictionaryEnd = read ? skipValue(text, dictionaryStart(text)) : -1;
    const int keyword = dictionaryEnd < 0 ? -1 : skipWhite(text, dictionaryEnd);
    // The stream's data starts after its keyword and the end of that line.
    const QByteArray lineEnd = text.mid(keyword + 6, 2) == "\r\n" ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
    const int content = keyword + 6 + lineEnd.size();
    if (!ok || keyword < 0 || text.mid(keyword, 6) != "stream" || !text.mid(keyword + 6).startsWith(lineEnd)
        || content + length > text.size()) {
        *reason = QStringLiteral("the XMP metadata is not of the expected form");
        return false;
    }
    // A title cannot hold "<": the dates stand after the end of its element.
    const QByteArray packet = text.mid(content, int(length));
    const int afterTitle = std::max(0, int(packet.indexOf("</dc:title>")));
    QRegularExpressionMatchIterator dates = kXmpDate.globalMatch(QString::fromLatin1(packet), afterTitle);
    qint64 change = 0;
    while (dates.hasNext()) {
        const QRegularExpressionMatch date = dates.next();
        edits.append({at + content + date.capturedStart(1), date.capturedLength(1), xmpDate});
        change += xmpDate.size() - date.capturedLength(1);
    }
    if (packet.indexOf("<xmp:CreateDate>", afterTitle) < 0) {
        *reason = QStringLiteral("the XMP metadata has no creation date");
        return false;
    }
    if (change != 0)
        edits.append({at + start, end - start, QByteArray::number(length + change)});
    return true;
}

// The identifier: the digest of the stamped document but for the identifier itself.
bool MvPdfStamp::planIdentifier(QIODevice &document, QString *reason)
{
    if (identifierAt < 0)
        return true;
    QCryptographicHash hash(QCryptographicHash::Sha256);
    const std::atomic_bool never{false};
    const Sink digest = [&hash](const char *data, qint64 length) {
        hash.addData(QByteArray::fromRawData(data, int(length)));
        return true;
    };
    if (!copyEdited(document, digest, never, reason))
        return false;
    hash.addData(table.left(identifierAt));
    hash.addData(table.mid(identifierEnd));
    id = hash.result().left(kIdentifierBytes).toHex();
    table.replace(identifierAt, id.size(), id);
    table.replace(identifierEnd - id.size(), id.size(), id);
    return true;
}

qint64 MvPdfStamp::shifted(qint64 offset) const
{
    qint64 moved = offset;
    for (const Edit &edit : edits) {
        if (edit.at < offset)
            moved += edit.bytes.size() - edit.length;
    }
    return moved;
}

bool MvPdfStamp::copyEdited(QIODevice &document, const Sink &sink, const std::atomic_bool &stop,
                            QString *reason) const
{
    qint64 at = 0;
    auto copyUpTo = [&](qint64 end) {
        while (at < end) {
            QByteArray chunk;
            if (stop.load())
                return false;
            if (!readAt(document, at, std::min(kCopyChunk, end - at), &chunk)) {
                *reason = QStringLiteral("cannot read the finished document");
                return false;
            }
            if (!sink(chunk.constData(), chunk.size()))
                return false;
            at += chunk.size();
        }
        return true;
    };
    for (const Edit &edit : edits) {
        if (!copyUpTo(edit.at) || !sink(edit.bytes.constData(), edit.bytes.size()))
            return false;
        at = edit.at + edit.length;
    }
    return copyUpTo(tableStart);
}

bool MvPdfStamp::copy(QIODevice &document, const Sink &sink, const std::atomic_bool &stop,
                      QString *reason) const
{
    return copyEdited(document, sink, stop, reason) && !stop.load() && sink(table.constData(), table.size());
}

qint64 MvPdfStamp::length() const
{
    return crossReference() + table.size();
}

qint64 MvPdfStamp::crossReference() const
{
    return shifted(tableStart);
}

QByteArray MvPdfStamp::identifier() const
{
    return id;
}
