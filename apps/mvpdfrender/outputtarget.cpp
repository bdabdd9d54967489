#include "outputtarget.h"

#include "signalbridge.h"
#include "tool.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
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

// Links followed on the way to OUT before the path counts as going round.
constexpr int kMaxLinks = 40;

// Where path leads, as the library resolves the path it writes to: its symbolic links followed
// one by one, also to a file not there yet (a link's target taken as written, its ".." left
// for the file system to resolve from the link's folder), then its folder's links resolved.
QString resolvedPath(const QString &path)
{
    QByteArray current = QFile::encodeName(path);
    for (int hops = 0; hops < kMaxLinks; ++hops) {
        struct stat status {};
        if (::lstat(current.constData(), &status) != 0 || !S_ISLNK(status.st_mode))
            break;
        QByteArray target(PATH_MAX, '\0');
        const ssize_t length = ::readlink(current.constData(), target.data(), size_t(target.size()));
        if (length <= 0)
            break;
        target.truncate(int(length));
        const int slash = current.lastIndexOf('/');
        current = target.startsWith('/') || slash < 0 ? target : current.left(slash + 1) + target;
    }
    const int slash = current.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArrayLiteral(".") : slash == 0 ? QByteArrayLiteral("/") : current.left(slash);
    char resolved[PATH_MAX];
    if (!::realpath(folder.constData(), resolved))
        return QFile::decodeName(current);
    const QByteArray real(resolved);
    return QFile::decodeName((real == "/" ? real : real + '/') + current.mid(slash + 1));
}

} // namespace


bool OutputTarget::standardOutputClosed = false;

OutputTarget::~OutputTarget()
{
    discard();
    if (folderHandle >= 0)
        ::close(folderHandle);
}

bool OutputTarget::fail(int errorNumber, QString *error) const
{
    return fail(Tool::systemError(errorNumber), error);
}

bool OutputTarget::fail(const QString &reason, QString *error) const
{
    *error = Tool::tr("cannot write %1: %2").arg(displayPath(), reason);
    return false;
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
    else
        target = FileIdentity::ofPath(finalPath);
    if (target && inputs.contains(*target)) {
        fail(Tool::tr("it is also an input of this run"), error);
        return Status::Refused;
    }
    const bool ready = kind == Kind::File ? holdFolder(error) : createTemporaryFile(error);
    return ready ? Status::Ok : Status::Failed;
}

bool OutputTarget::resolve(QString *error)
{
    if (requested == QLatin1String("-"))
        return useStandardOutput(error);
    struct stat status {};
    if (::stat(QFile::encodeName(requested).constData(), &status) != 0) {
        // Nothing there yet (or a link to nothing yet): the library makes the file.
        if (errno != ENOENT)
            return fail(errno, error);
        kind = Kind::File;
        finalPath = resolvedPath(requested);
        return true;
    }
    const std::optional<FileIdentity> standardOutput = FileIdentity::ofDescriptor(STDOUT_FILENO);
    if (!S_ISDIR(status.st_mode) && standardOutput
        && *standardOutput == FileIdentity{quint64(status.st_dev), quint64(status.st_ino)})
        return useStandardOutput(error);
    if (S_ISREG(status.st_mode)) {
        kind = Kind::File;
        finalPath = resolvedPath(requested);
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

bool OutputTarget::useStandardOutput(QString *error)
{
    if (standardOutputClosed)
        return fail(Tool::tr("it is closed"), error);
    kind = Kind::Stream;
    toStandardOutput = true;
    return true;
}

// OUT's folder, held from before the library makes its work file there: the report lands in
// this folder whatever becomes of its path.
bool OutputTarget::holdFolder(QString *error)
{
    const QByteArray folder = QFile::encodeName(QFileInfo(finalPath).absolutePath());
    folderHandle = ::open(folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    return folderHandle >= 0 || fail(errno, error);
}

// A stream's PDF waits in a file that never has a name; where the file system gives no such
// files, it is named only for the moment it takes to make it.
bool OutputTarget::createTemporaryFile(QString *error)
{
    temporaryFolder = QDir::tempPath();
    int handle = ::open(QFile::encodeName(temporaryFolder).constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (handle < 0) {
        QTemporaryFile named(temporaryFolder + QStringLiteral("/.mvpdfrender-XXXXXX"));
        errno = 0;
        if (named.open())
            handle = ::fcntl(named.handle(), F_DUPFD_CLOEXEC, 0);
        if (handle < 0)
            return fail(inTemporaryFile(Tool::systemError(errno != 0 ? errno : EIO)), error);
    }
    temporary = std::make_unique<QFile>();
    temporary->open(handle, QIODevice::ReadWrite, QFileDevice::AutoCloseHandle);
    return true;
}

QIODevice *OutputTarget::device()
{
    return temporary.get();
}

bool OutputTarget::isStream() const
{
    return kind == Kind::Stream;
}

QString OutputTarget::writeFailureReason() const
{
    if (!temporary)
        return QString();
    const int fd = temporary->handle();
    struct stat status {};
    struct rlimit limit {};
    if (::fstat(fd, &status) == 0 && ::getrlimit(RLIMIT_FSIZE, &limit) == 0
        && limit.rlim_cur != RLIM_INFINITY && status.st_size >= off_t(limit.rlim_cur))
        return Tool::systemError(EFBIG);
    struct statvfs space {};
    if (::fstatvfs(fd, &space) == 0 && space.f_bavail == 0)
        return inTemporaryFile(Tool::systemError(ENOSPC));
    return QString();
}

// A reason that concerns the temporary file of a stream, which may lie elsewhere than OUT.
QString OutputTarget::inTemporaryFile(const QString &reason) const
{
    return Tool::tr("its temporary file in %1: %2").arg(temporaryFolder, reason);
}

void OutputTarget::setStandardOutputClosed()
{
    standardOutputClosed = true;
}

QString OutputTarget::displayPath() const
{
    return requested == QLatin1String("-") ? Tool::tr("standard output", "what a report is written to") : requested;
}

QString OutputTarget::destination() const
{
    if (toStandardOutput)
        return Tool::tr("standard output");
    return kind == Kind::File ? finalPath : displayPath();
}

OutputTarget::Status OutputTarget::commit(QString *error)
{
    if (kind == Kind::File)
        return commitFile(error);
    if (!temporary) {
        fail(EBADF, error);
        return Status::Failed;
    }
    if (!temporary->flush())
        return failCommit(EIO, error);
    return commitStream(error);
}

OutputTarget::Status OutputTarget::failCommit(int errorNumber, QString *error)
{
    fail(errorNumber, error);
    discard();
    return Status::Failed;
}

// The report stands in the folder the run began with; OUT's path may lead elsewhere now.
OutputTarget::Status OutputTarget::commitFile(QString *error)
{
    const QString name = QFileInfo(finalPath).fileName();
    struct stat written {};
    struct stat atPath {};
    if (::fstatat(folderHandle, QFile::encodeName(name).constData(), &written, 0) != 0
        || (::stat(QFile::encodeName(finalPath).constData(), &atPath) == 0
            && written.st_dev == atPath.st_dev && written.st_ino == atPath.st_ino))
        return Status::Ok;
    const QString folderNow = QFile::symLinkTarget(QStringLiteral("/proc/self/fd/%1").arg(folderHandle));
    fail(folderNow.isEmpty() ? Tool::tr("its folder was moved during the run; the report is in it, as %1").arg(name)
                             : Tool::tr("its folder was moved during the run; the report is %1")
                                       .arg(folderNow + QLatin1Char('/') + name), error);
    return Status::Failed;
}

OutputTarget::Status OutputTarget::commitStream(QString *error)
{
    const int workFd = temporary->handle();
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
    qint64 copied = 0;
    for (;;) {
        const ssize_t got = ::read(workFd, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR && !SignalBridge::caught())
            continue;
        if (got <= 0 || !writeAll(out, buffer.data(), got)) {
            copyError = got == 0 ? 0 : errno;
            break;
        }
        copied += got;
    }
    if (out != STDOUT_FILENO && ::close(out) != 0 && copyError == 0)
        copyError = errno;
    if (copyError == EINTR && SignalBridge::caught()) {
        // What a reader has received it keeps: the cancel says so.
        if (copied > 0)
            *error = Tool::tr("cancelled while writing %1, which has received only the first %2 bytes of the report")
                    .arg(displayPath()).arg(copied);
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
    temporary.reset();
}
