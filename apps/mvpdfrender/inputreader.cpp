#include "inputreader.h"

#include "signalbridge.h"
#include "tool.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 kMiB = 1024 * 1024;
constexpr qint64 kReadChunk = 1024 * 1024;

// Why a file of this type is not read, or nothing when it may be.
QString refusedType(mode_t mode, bool regularOnly)
{
    if (S_ISREG(mode))
        return QString();
    if (S_ISDIR(mode))
        return Tool::tr("is a directory");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return Tool::tr("is a device, not a file");
    if (S_ISFIFO(mode) && !regularOnly)
        return QString();
    return Tool::tr("is not a regular file");
}

QString mebibytes(qint64 bytes)
{
    return QStringLiteral("%1 MiB").arg(bytes / kMiB);
}

} // namespace

InputReader::Limit InputReader::limitFor(qint64 maxBytes) const
{
    const qint64 left = kMaxTotalBytes - totalRead;
    if (left < maxBytes) {
        return {left, Tool::tr("larger than what is left of the limit of %1 on all inputs "
                                     "together").arg(mebibytes(kMaxTotalBytes))};
    }
    return {maxBytes, Tool::tr("larger than the limit of %1").arg(mebibytes(maxBytes))};
}

QString InputReader::displayName(const QString &path)
{
    return path == QLatin1String("-") ? Tool::tr("standard input") : path;
}

const FileIdentities &InputReader::filesRead() const
{
    return files;
}

InputReader::Result InputReader::read(const QString &path, QByteArray *data, QString *error)
{
    const Limit limit = limitFor(kMaxInputBytes);
    if (path == QLatin1String("-")) {
        struct stat status {};
        if (::fstat(STDIN_FILENO, &status) != 0) {
            *error = Tool::tr("cannot read standard input: %1").arg(Tool::systemError(errno));
            return Result::Refused;
        }
        // A terminal is read as the pipe it behaves like; other devices never end.
        const QString refused = refusedType(status.st_mode, false);
        if (!refused.isEmpty() && !S_ISSOCK(status.st_mode) && !::isatty(STDIN_FILENO)) {
            *error = Tool::tr("standard input %1").arg(refused);
            return Result::Refused;
        }
        if (S_ISREG(status.st_mode))
            files.append({quint64(status.st_dev), quint64(status.st_ino)});
        return readDescriptor(STDIN_FILENO, displayName(path), limit, data, error);
    }
    int fd = -1;
    const Result opened = openFile(path, false, &fd, error);
    if (opened != Result::Ok)
        return opened;
    const Result result = readDescriptor(fd, path, limit, data, error);
    ::close(fd);
    return result;
}

InputReader::Result InputReader::readRegularFile(const QString &path, qint64 maxBytes,
                                                 QByteArray *data, QString *error)
{
    int fd = -1;
    const Result opened = openFile(path, true, &fd, error);
    if (opened != Result::Ok)
        return opened;
    const Result result = readDescriptor(fd, path, limitFor(maxBytes), data, error);
    ::close(fd);
    return result;
}

InputReader::Result InputReader::openFile(const QString &path, bool regularOnly, int *fd,
                                          QString *error)
{
    const QByteArray encoded = QFile::encodeName(path);
    struct stat status {};
    // The type is known before the file is opened: opening a device may already do something.
    if (::stat(encoded.constData(), &status) != 0) {
        *error = errno == ENOENT ? Tool::tr("%1: no such file").arg(path)
                                 : Tool::tr("%1: cannot read: %2").arg(path, Tool::systemError(errno));
        return Result::Refused;
    }
    QString refused = refusedType(status.st_mode, regularOnly);
    if (!refused.isEmpty()) {
        *error = QStringLiteral("%1: %2").arg(path, refused);
        return Result::Refused;
    }
    // A FIFO waits here for a writer, until a signal ends the wait.
    while ((*fd = ::open(encoded.constData(), O_RDONLY | O_NOCTTY | O_CLOEXEC)) < 0) {
        if (errno == EINTR && SignalBridge::caught())
            return Result::Cancelled;
        if (errno != EINTR) {
            *error = Tool::tr("%1: cannot read: %2").arg(path, Tool::systemError(errno));
            return Result::Refused;
        }
    }
    // What was opened, not what stood at the path a moment before.
    if (::fstat(*fd, &status) != 0)
        refused = Tool::systemError(errno);
    else
        refused = refusedType(status.st_mode, regularOnly);
    if (!refused.isEmpty()) {
        ::close(*fd);
        *error = QStringLiteral("%1: %2").arg(path, refused);
        return Result::Refused;
    }
    files.append({quint64(status.st_dev), quint64(status.st_ino)});
    return Result::Ok;
}

InputReader::Result InputReader::readDescriptor(int fd, const QString &name, const Limit &limit,
                                                QByteArray *data, QString *error)
{
    const auto tooLarge = [&]() {
        *error = QStringLiteral("%1: %2").arg(name, limit.description);
        return Result::Refused;
    };
    struct stat status {};
    const bool regular = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
    if (regular && status.st_size > limit.bytes)
        return tooLarge();

    QByteArray read;
    // A regular file is read in one go, into room for one byte more, which tells that it grew
    // meanwhile: read into what is already there, it is never moved.
    if (regular)
        read.reserve(int(status.st_size) + 1);
    // One byte beyond the limit tells a stream that is too long from one that fits exactly.
    while (read.size() <= limit.bytes) {
        const qint64 room = read.capacity() - read.size();
        const qint64 chunk = qMin(room > 0 ? room : kReadChunk, limit.bytes + 1 - read.size());
        const int start = read.size();
        read.resize(start + int(chunk));
        const ssize_t got = ::read(fd, read.data() + start, size_t(chunk));
        read.resize(start + int(qMax<ssize_t>(got, 0)));
        if (got == 0)
            break;
        if (got > 0)
            continue;
        if (errno == EINTR && SignalBridge::caught())
            return Result::Cancelled;
        if (errno != EINTR) {
            *error = Tool::tr("%1: cannot read: %2").arg(name, Tool::systemError(errno));
            return Result::Refused;
        }
    }
    if (read.size() > limit.bytes)
        return tooLarge();
    if (regular && read.size() < status.st_size) {
        *error = Tool::tr("%1: cannot read: it gave %2 of its %3 bytes")
                .arg(name).arg(read.size()).arg(status.st_size);
        return Result::Refused;
    }
    totalRead += read.size();
    *data = read;
    return Result::Ok;
}
