#include "mvsink.h"

#include "mvdelivery.h"

#include <QFileDevice>

#include <cerrno>
#include <utility>

MvSink::MvSink(QIODevice *target, MvDelivery *delivery, qint64 holdBack)
    : target(target), delivery(delivery), holdBack(holdBack)
{
    QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

bool MvSink::isSequential() const
{
    return true;
}

bool MvSink::failed() const
{
    return writeFailed;
}

int MvSink::systemError() const
{
    return failedWithError;
}

void MvSink::detach()
{
    target = nullptr;
    held.clear();
}

QByteArray MvSink::takeHeld()
{
    return std::exchange(held, QByteArray());
}

qint64 MvSink::readData(char *, qint64)
{
    return -1;
}

qint64 MvSink::writeData(const char *data, qint64 length)
{
    if (!target)
        return length;
    if (writeFailed)
        return -1;
    // What goes on now: all but the last holdBack bytes of what is held and what comes.
    const qint64 passing = held.size() + length - holdBack;
    if (passing <= 0) {
        held.append(data, int(length));
        return length;
    }
    const qint64 fromHeld = qMin(qint64(held.size()), passing);
    if (!give(held.constData(), fromHeld) || !give(data, passing - fromHeld))
        return -1;
    held = held.mid(int(fromHeld)) + QByteArray(data + (passing - fromHeld), int(length - (passing - fromHeld)));
    return length;
}

bool MvSink::give(const char *data, qint64 length)
{
    if (length <= 0)
        return true;
    errno = 0;
    const qint64 written = target->write(data, length);
    if (written != length) {
        writeFailed = true;
        // A file tells why through errno, as its write left it.
        if (qobject_cast<QFileDevice *>(target))
            failedWithError = errno;
        return false;
    }
    if (delivery)
        delivery->given(written);
    return true;
}
