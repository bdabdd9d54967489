#include "outputtarget.h"

#include "signalbridge.h"
#include "tool.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <vector>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

constexpr size_t kCopyBufferSize = 64 * 1024;

// Writes all of data to fd; false with errno set when a write fails or a signal cancels.
bool writeAll(int fd, const char *data, ssize_t length)
{
    while (length > 0) {
        const ssize_t written = ::write(fd, data, size_t(length));
        if (written < 0) {
            if (errno == EINTR && !SignalBridge::caught())
                continue;
            return false;
        }
        data += written;
        length -= written;
    }
    return true;
}

QByteArray folderOf(const QByteArray &path)
{
    const int slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArrayLiteral("/") : path.left(slash);
}

} // namespace

OutputTarget::~OutputTarget()
{
    discard();
}

bool OutputTarget::fail(int errorNumber, QString *error) const
{
    return fail(Tool::systemError(errorNumber), error);
}

// Whether path is a terminal; a FIFO is not opened (that would wait for its reader).
bool OutputTarget::isTerminal(const QByteArray &path)
{
    struct stat status {};
    if (::stat(path.constData(), &status) != 0 || !S_ISCHR(status.st_mode))
        return false;
    const int device = ::open(path.constData(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    const bool terminal = device >= 0 && ::isatty(device);
    if (device >= 0)
        ::close(device);
    return terminal;
}

bool OutputTarget::failOfWorkFile(QString *error) const
{
    return workFile.systemError() != 0 ? fail(workFile.systemError(), error) : fail(workFile.errorString(), error);
}

bool OutputTarget::fail(const QString &reason, QString *error) const
{
    *error = Tool::tr("cannot write %1: %2").arg(displayPath(), reason);
    return false;
}

OutputTarget::Status OutputTarget::open(const QString &requestedPath, const FileIdentities &inputs,
                                        QString *error)
{
    requested = requestedPath;
    if (!resolve(error))
        return Status::Failed;
    // A PDF is no text for a terminal: a mistake in the command, not a failure to write.
    if ((toStandardOutput && ::isatty(STDOUT_FILENO)) || (kind == Kind::Stream && !toStandardOutput && isTerminal(streamPath))) {
        fail(Tool::tr("it is a terminal; redirect it to a file or a pipe"), error);
        return Status::Refused;
    }

    std::optional<FileIdentity> target;
    if (toStandardOutput)
        target = FileIdentity::ofDescriptor(STDOUT_FILENO);
    else if (kind == Kind::Stream)
        target = FileIdentity::ofPath(QFile::decodeName(streamPath));
    else if (replacing)
        target = FileIdentity::ofPath(QFile::decodeName(finalPath));
    if (target && inputs.contains(*target)) {
        fail(Tool::tr("it is also an input of this run"), error);
        return Status::Refused;
    }
    return createWorkFile(error) ? Status::Ok : Status::Failed;
}

bool OutputTarget::resolve(QString *error)
{
    if (requested == QLatin1String("-"))
        return useStandardOutput();
    QByteArray resolved;
    MvWorkFile::Kind found = MvWorkFile::Kind::None;
    if (!MvWorkFile::resolve(QFile::encodeName(requested), &resolved, &found))
        return fail(errno, error);
    if (found == MvWorkFile::Kind::None) {
        kind = Kind::File;
        finalPath = resolved;
        return true;
    }
    struct stat status {};
    if (::stat(resolved.constData(), &status) != 0)
        return fail(errno, error);
    const std::optional<FileIdentity> standardOutput = FileIdentity::ofDescriptor(STDOUT_FILENO);
    if (!S_ISDIR(status.st_mode) && standardOutput
        && *standardOutput == FileIdentity{quint64(status.st_dev), quint64(status.st_ino)})
        return useStandardOutput();
    if (S_ISREG(status.st_mode)) {
        kind = Kind::File;
        replacing = true;
        finalPath = resolved;
        return true;
    }
    if (S_ISCHR(status.st_mode) || S_ISFIFO(status.st_mode)) {
        kind = Kind::Stream;
        streamPath = QFile::encodeName(requested);
        return true;
    }
    if (S_ISDIR(status.st_mode))
        return fail(EISDIR, error);
    if (S_ISBLK(status.st_mode))
        return fail(Tool::tr("it is a block device"), error);
    return fail(Tool::tr("it is not a file, a FIFO or a character device"), error);
}

bool OutputTarget::useStandardOutput()
{
    kind = Kind::Stream;
    toStandardOutput = true;
    return true;
}

bool OutputTarget::createWorkFile(QString *error)
{
    // A stream gets the complete PDF from a file that never has a name.
    const bool created = kind == Kind::File
            ? workFile.create(finalPath)
            : workFile.createTemporary(QFile::encodeName(QDir::tempPath()));
    if (!created)
        return failOfWorkFile(error);
    workDevice = std::make_unique<QFile>();
    workDevice->open(workFile.handle(), QIODevice::ReadWrite, QFileDevice::DontCloseHandle);
    return true;
}

QIODevice *OutputTarget::device()
{
    return workDevice.get();
}

QString OutputTarget::writeFailureReason() const
{
    const int fd = workFile.handle();
    struct stat status {};
    struct rlimit limit {};
    if (::fstat(fd, &status) == 0 && ::getrlimit(RLIMIT_FSIZE, &limit) == 0
        && limit.rlim_cur != RLIM_INFINITY && status.st_size >= off_t(limit.rlim_cur))
        return Tool::systemError(EFBIG);
    struct statvfs space {};
    if (::fstatvfs(fd, &space) == 0 && space.f_bavail == 0)
        return Tool::systemError(ENOSPC);
    return QString();
}

QString OutputTarget::stagingFolder() const
{
    return kind == Kind::File ? QFile::decodeName(folderOf(finalPath)) : QString();
}

QString OutputTarget::displayPath() const
{
    return requested == QLatin1String("-") ? Tool::tr("standard output", "what a report is written to") : requested;
}

QString OutputTarget::destination() const
{
    if (toStandardOutput)
        return Tool::tr("standard output");
    return kind == Kind::File ? QFile::decodeName(finalPath) : displayPath();
}

OutputTarget::Status OutputTarget::commit(QString *error)
{
    if (!workDevice || workFile.handle() < 0) {
        fail(EBADF, error);
        return Status::Failed;
    }
    if (!workDevice->flush())
        return failCommit(EIO, error);
    workDevice.reset();
    return kind == Kind::File ? commitFile(error) : commitStream(error);
}

OutputTarget::Status OutputTarget::failCommit(int errorNumber, QString *error)
{
    fail(errorNumber, error);
    discard();
    return Status::Failed;
}

OutputTarget::Status OutputTarget::commitFile(QString *error)
{
    // Between the last look for a cancel and the rename, no signal may slip in.
    SignalsHeld held;
    if (SignalBridge::caught()) {
        discard();
        return Status::Cancelled;
    }
    if (!workFile.publish()) {
        failOfWorkFile(error);
        discard();
        return Status::Failed;
    }
    // The report stands in the folder the run began with; OUT's path may lead elsewhere now.
    if (!workFile.publishedAtDestination()) {
        const QByteArray location = workFile.publishedLocation();
        fail(location.isEmpty() ? Tool::tr("its folder was moved during the run; the report is in it, as %1")
                                          .arg(QFileInfo(QFile::decodeName(finalPath)).fileName())
                                : Tool::tr("its folder was moved during the run; the report is %1")
                                          .arg(QFile::decodeName(location)), error);
        return Status::Failed;
    }
    return Status::Ok;
}

OutputTarget::Status OutputTarget::commitStream(QString *error)
{
    const int workFd = workFile.handle();
    if (::lseek(workFd, 0, SEEK_SET) != 0)
        return failCommit(errno, error);
    int out = STDOUT_FILENO;
    if (!toStandardOutput) {
        // A FIFO blocks here until it has a reader; a signal ends the wait.
        while ((out = ::open(streamPath.constData(), O_WRONLY | O_NOCTTY | O_CLOEXEC)) < 0) {
            if (errno != EINTR)
                return failCommit(errno, error);
            if (SignalBridge::caught()) {
                discard();
                return Status::Cancelled;
            }
        }
        if (::isatty(out)) {
            ::close(out);
            fail(Tool::tr("it is a terminal"), error);
            discard();
            return Status::Failed;
        }
    }
    std::vector<char> buffer(kCopyBufferSize);
    int copyError = 0;
    for (;;) {
        const ssize_t got = ::read(workFd, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR && !SignalBridge::caught())
            continue;
        if (got <= 0 || !writeAll(out, buffer.data(), got)) {
            copyError = got == 0 ? 0 : errno;
            break;
        }
    }
    if (out != STDOUT_FILENO && ::close(out) != 0 && copyError == 0)
        copyError = errno;
    if (copyError == EINTR && SignalBridge::caught()) {
        discard();
        return Status::Cancelled;
    }
    if (copyError != 0)
        return failCommit(copyError, error);
    discard();
    return Status::Ok;
}

void OutputTarget::discard()
{
    workDevice.reset();
    workFile.discard();
}

void OutputTarget::emergencyCleanup()
{
    MvWorkFile::emergencyCleanup();
}
