#include "mvsink.h"

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
    const qint64 written = writeFailed ? -1 : target->write(data, length);
    if (written != length)
        writeFailed = true;
    return written;
}
