#include "mvsink.h"

#include <QFileDevice>

#include <cerrno>

MvSink::MvSink(QIODevice *target) : target(target)
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
    errno = 0;
    const qint64 written = target->write(data, length);
    if (written != length) {
        writeFailed = true;
        // A file tells why through errno, as its write left it.
        if (qobject_cast<QFileDevice *>(target))
            failedWithError = errno;
    }
    return written;
}
