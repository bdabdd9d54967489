#include "mvpdfstamp.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QDateTime>
#include <QIODevice>
#include <QRegularExpression>

#include <algorithm>

namespace {

// Qt writes its document information and metadata as the first objects of the file, its
// trailer (with the identifier) at the end: these many bytes at either end hold them.
constexpr qint64 kHeadBytes = 64 * 1024;
constexpr qint64 kTailBytes = 1024;
constexpr qint64 kHashChunk = 1 << 20;
// The identifier is 16 bytes, written as 32 hexadecimal digits.
constexpr int kIdentifierBytes = 16;

// A date of the document information, "D:YYYYMMDDHHmmSS" and its zone: "Z", or "+HH'mm'".
const QRegularExpression kInfoDate(
        QStringLiteral("/(?:CreationDate|ModDate) ?\\(D:(\\d{14})(Z|[+-]\\d\\d'\\d\\d')\\)"));
// A date of the XMP metadata, in ISO 8601: "YYYY-MM-DDTHH:mm:SS" and "Z" or "+HH:mm".
const QRegularExpression kXmpDate(
        QStringLiteral("xmp:(?:CreateDate|ModifyDate|MetadataDate)=\"(\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d)"
                       "(Z|[+-]\\d\\d:\\d\\d)\""));
// The trailer's file identifier: two strings of 32 hexadecimal digits.
const QRegularExpression kIdentifier(
        QStringLiteral("/ID ?\\[ ?<([0-9A-Fa-f]{32})> ?<([0-9A-Fa-f]{32})> ?\\]"));

// The zone of a moment written in UTC, as long as the zone it replaces.
QString utcZone(const QString &zone, const QString &offset)
{
    return zone == QLatin1String("Z") ? zone : offset;
}

// Writes every date that expression finds in text (captured: the moment, then its zone) as
// moment, in place.
void stampDates(QByteArray &text, const QRegularExpression &expression, const QString &moment,
                const QString &offset)
{
    const QString latin = QString::fromLatin1(text.constData(), text.size());
    QRegularExpressionMatchIterator matches = expression.globalMatch(latin);
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        const QByteArray stamp = (moment + utcZone(match.captured(2), offset)).toLatin1();
        const int length = match.capturedLength(1) + match.capturedLength(2);
        if (stamp.size() == length)
            text.replace(match.capturedStart(1), length, stamp);
    }
}

bool readAt(QIODevice &document, qint64 at, qint64 length, QByteArray *bytes)
{
    if (!document.seek(at))
        return false;
    *bytes = document.read(length);
    return bytes->size() == length;
}

bool writeAt(QIODevice &document, qint64 at, const QByteArray &bytes)
{
    return document.seek(at) && document.write(bytes) == bytes.size();
}

// The digest of the document without the bytes [skipFrom, skipTo): what its identifier is made of.
QByteArray digest(QIODevice &document, qint64 size, qint64 skipFrom, qint64 skipTo)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (qint64 at = 0; at < size;) {
        const qint64 end = at < skipFrom ? std::min(size, std::min(skipFrom, at + kHashChunk))
                                         : std::min(size, at + kHashChunk);
        QByteArray chunk;
        if (!readAt(document, at, end - at, &chunk))
            return QByteArray();
        hash.addData(chunk);
        at = end == skipFrom ? skipTo : end;
    }
    return hash.result();
}

} // namespace

namespace MvPdfStamp {

bool apply(QIODevice &document, const QDateTime &moment, QString *reason)
{
    const qint64 size = document.size();
    const QDateTime utc = moment.toUTC();
    QByteArray head;
    QByteArray tail;
    const qint64 tailStart = std::max(qint64(0), size - kTailBytes);
    if (!readAt(document, 0, std::min(size, kHeadBytes), &head)
        || !readAt(document, tailStart, size - tailStart, &tail)) {
        *reason = QStringLiteral("cannot read the finished document");
        return false;
    }
    const QByteArray before = head;
    stampDates(head, kInfoDate, utc.toString(QStringLiteral("yyyyMMddHHmmss")), QStringLiteral("+00'00'"));
    stampDates(head, kXmpDate, utc.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")),
               QStringLiteral("+00:00"));
    if (head != before && !writeAt(document, 0, head)) {
        *reason = QStringLiteral("cannot write the finished document");
        return false;
    }

    // The identifier: the digest of everything else, dates included, in both of its strings.
    const QString tailText = QString::fromLatin1(tail.constData(), tail.size());
    QRegularExpressionMatch identifier;
    const int at = tailText.lastIndexOf(kIdentifier, -1, &identifier);
    if (at < 0)
        return true;
    const qint64 first = tailStart + identifier.capturedStart(1);
    const qint64 last = tailStart + identifier.capturedEnd(2);
    const QByteArray hash = digest(document, size, first, last);
    if (hash.isEmpty()) {
        *reason = QStringLiteral("cannot read the finished document");
        return false;
    }
    const QByteArray hex = hash.left(kIdentifierBytes).toHex();
    QByteArray stamped = tail.mid(identifier.capturedStart(1), int(last - first));
    stamped.replace(0, hex.size(), hex);
    stamped.replace(stamped.size() - hex.size(), hex.size(), hex);
    if (!writeAt(document, first, stamped)) {
        *reason = QStringLiteral("cannot write the finished document");
        return false;
    }
    return true;
}

} // namespace MvPdfStamp
