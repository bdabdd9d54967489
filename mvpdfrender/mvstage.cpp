#include "mvstage.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

MvStage::MvStage(const QByteArray &folder, qint64 memoryBound)
    : folder(folder), memoryBound(memoryBound)
{
    QIODevice::open(QIODevice::ReadWrite | QIODevice::Unbuffered);
}

MvStage::~MvStage() = default;

bool MvStage::isSequential() const
{
    return false;
}

qint64 MvStage::size() const
{
    return file.handle() >= 0 ? fileSize : bytes.size();
}

bool MvStage::failed() const
{
    return writeFailed;
}

int MvStage::systemError() const
{
    return failedWithError;
}

int MvStage::fileHandle() const
{
    return file.handle();
}

const QByteArray &MvStage::memory() const
{
    return bytes;
}

bool MvStage::moveToFile()
{
    if (!file.createTemporary(folder))
        return false;
    const qint64 written = ::pwrite(file.handle(), bytes.constData(), size_t(bytes.size()), 0);
    if (written != bytes.size())
        return false;
    fileSize = bytes.size();
    bytes = QByteArray();
    return true;
}

qint64 MvStage::writeData(const char *data, qint64 length)
{
    const qint64 at = pos();
    if (file.handle() < 0 && at + length > memoryBound && !moveToFile()) {
        writeFailed = true;
        failedWithError = file.handle() < 0 ? file.systemError() : errno;
        return -1;
    }
    if (file.handle() < 0) {
        if (at + length > bytes.size())
            bytes.resize(int(at + length));
        std::memcpy(bytes.data() + at, data, size_t(length));
        return length;
    }
    qint64 done = 0;
    while (done < length) {
        const ssize_t written = ::pwrite(file.handle(), data + done, size_t(length - done), at + done);
        if (written <= 0) {
            writeFailed = true;
            failedWithError = written < 0 ? errno : ENOSPC;
            return done > 0 ? done : -1;
        }
        done += written;
    }
    fileSize = qMax(fileSize, at + length);
    return length;
}

qint64 MvStage::readData(char *data, qint64 maxSize)
{
    const qint64 at = pos();
    if (file.handle() >= 0) {
        const ssize_t got = ::pread(file.handle(), data, size_t(maxSize), at);
        return got < 0 ? -1 : qint64(got);
    }
    const qint64 available = qMin(maxSize, qint64(bytes.size()) - at);
    if (available <= 0)
        return 0;
    std::memcpy(data, bytes.constData() + at, size_t(available));
    return available;
}
