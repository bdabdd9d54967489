#include "mvstage.h"

#include <cerrno>
#include <cstring>

namespace {

// Writes into a stage's file are gathered into blocks of this many bytes.
constexpr int kBlockBytes = 256 * 1024;

} // namespace

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
    return file.isOpen() ? fileSize : bytes.size();
}

bool MvStage::failed() const
{
    flushBlock();
    return writeFailed;
}

int MvStage::systemError() const
{
    return failedWithError;
}

bool MvStage::inFile() const
{
    return file.isOpen();
}

FILE *MvStage::duplicateStream() const
{
    flushBlock();
    return file.duplicateStream();
}

const QByteArray &MvStage::memory() const
{
    return bytes;
}

void MvStage::detach()
{
    detached = true;
    block.clear();
}

bool MvStage::moveToFile()
{
    if (!file.createTemporary(folder) || !writeAt(bytes.constData(), bytes.size(), 0))
        return false;
    fileSize = bytes.size();
    bytes = QByteArray();
    return true;
}

bool MvStage::writeAt(const char *data, qint64 length, qint64 at) const
{
    qint64 done = 0;
    while (done < length) {
        const qint64 written = file.writeAt(data + done, length - done, at + done);
        if (written <= 0) {
            writeFailed = true;
            failedWithError = written < 0 ? errno : ENOSPC;
            return false;
        }
        done += written;
    }
    return true;
}

bool MvStage::flushBlock() const
{
    if (block.isEmpty() || writeFailed)
        return !writeFailed;
    const bool written = writeAt(block.constData(), block.size(), blockAt);
    block.clear();
    return written;
}

qint64 MvStage::writeData(const char *data, qint64 length)
{
    if (detached)
        return length;
    const qint64 at = pos();
    if (!file.isOpen() && at + length > memoryBound && !moveToFile()) {
        writeFailed = true;
        if (failedWithError == 0)
            failedWithError = !file.isOpen() ? file.systemError() : errno;
        return -1;
    }
    if (!file.isOpen()) {
        if (at + length > bytes.size())
            bytes.resize(int(at + length));
        std::memcpy(bytes.data() + at, data, size_t(length));
        return length;
    }
    // A write that does not follow the block goes after it.
    if (!block.isEmpty() && at != blockAt + block.size() && !flushBlock())
        return -1;
    if (block.isEmpty())
        blockAt = at;
    block.append(data, int(length));
    fileSize = qMax(fileSize, at + length);
    if (block.size() >= kBlockBytes && !flushBlock())
        return -1;
    return writeFailed ? -1 : length;
}

qint64 MvStage::readData(char *data, qint64 maxSize)
{
    const qint64 at = pos();
    if (file.isOpen()) {
        if (!flushBlock())
            return -1;
        const qint64 got = file.readAt(data, maxSize, at);
        return got < 0 ? -1 : got;
    }
    const qint64 available = qMin(maxSize, qint64(bytes.size()) - at);
    if (available <= 0)
        return 0;
    std::memcpy(data, bytes.constData() + at, size_t(available));
    return available;
}
