#include "mvinfofilter.h"

#include <QDateTime>

namespace {

// Room the padded creator leaves for the modification date and a longer creation date:
// characters of two bytes each in the writer's UTF-16 text.
constexpr int kCreatorPadding = 24;
// The most the filter holds before giving up on finding the information object: the
// writer's title is at most 65 535 bytes, escaped.
constexpr int kMaxHead = 256 * 1024;

// A PDF literal string of text as Qt's writer writes one: UTF-16BE after a byte-order mark,
// with the parentheses and backslashes among its bytes escaped.
QByteArray literal(const QString &text)
{
    QByteArray bytes("(\xfe\xff");
    for (const QChar c : text) {
        for (const char byte : {char(c.unicode() >> 8), char(c.unicode() & 0xff)}) {
            if (byte == '(' || byte == ')' || byte == '\\')
                bytes += '\\';
            bytes += byte;
        }
    }
    return bytes + ')';
}

} // namespace

MvInfoFilter::MvInfoFilter(QIODevice *target, const QString &creator, const QDateTime &moment)
    : target(target), creatorLiteral(literal(creator)), date('(' + pdfDate(moment) + ')')
{
    QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

QString MvInfoFilter::paddedCreator(const QString &creator)
{
    return creator + QString(kCreatorPadding, QLatin1Char(' '));
}

QByteArray MvInfoFilter::pdfDate(const QDateTime &moment)
{
    return "D:" + moment.toUTC().toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1() + 'Z';
}

bool MvInfoFilter::isSequential() const
{
    return true;
}

bool MvInfoFilter::release()
{
    if (passing)
        return true;
    passing = true;
    return head.isEmpty() || target->write(head) == head.size();
}

qint64 MvInfoFilter::readData(char *, qint64)
{
    return -1;
}

qint64 MvInfoFilter::writeData(const char *data, qint64 length)
{
    if (passing)
        return target->write(data, length);
    head.append(data, int(length));
    if (!complete() && head.size() <= kMaxHead)
        return length;
    passing = true;
    const QByteArray held = std::move(head);
    head.clear();
    return target->write(held) == held.size() ? length : -1;
}

bool MvInfoFilter::complete()
{
    // A title's parentheses are all escaped: the first " (" after "/Creator" is the creator's.
    const int creatorAt = head.indexOf("\n/Creator (");
    const int endAt = creatorAt < 0 ? -1 : head.indexOf("\n>>\nendobj\n", creatorAt);
    if (endAt < 0)
        return false;
    const int producerAt = head.indexOf("\n/Producer ", creatorAt);
    const int creationAt = head.indexOf("\n/CreationDate ", creatorAt);
    // Only the three entries the filter writes again: nothing of the writer's is lost.
    if (producerAt < 0 || creationAt < producerAt || creationAt > endAt
        || head.mid(creatorAt, endAt - creatorAt).count("\n/") != 3)
        return true;
    QByteArray entries = "\n/Creator " + creatorLiteral + head.mid(producerAt, creationAt - producerAt)
            + "\n/CreationDate " + date + "\n/ModDate " + date;
    const int room = endAt - creatorAt;
    if (entries.size() > room)
        return true;
    entries.append(QByteArray(room - entries.size(), ' '));
    head.replace(creatorAt, room, entries);
    return true;
}
