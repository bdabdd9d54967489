#include "outputtarget.h"

#include "signalbridge.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The kernel's own limit on the links it follows in one path.
constexpr int kMaxLinkDepth = 40;
// Work names are tried this often before giving up (each try is a fresh random name).
constexpr int kNameAttempts = 100;
// ".mvpdfrender-" and 12 random characters: 25 bytes, whatever the length of OUT's name.
const char kWorkPrefix[] = ".mvpdfrender-";
constexpr int kRandomCharacters = 12;
const char kNameCharacters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
constexpr mode_t kPrivateMode = S_IRUSR | S_IWUSR;
constexpr mode_t kNewFileMode = S_IRUSR | S_IWUSR | S_IRGRP | S_IWGRP | S_IROTH | S_IWOTH;
constexpr mode_t kPermissionBits = S_IRWXU | S_IRWXG | S_IRWXO;
constexpr size_t kCopyBufferSize = 64 * 1024;

// The named work file, for emergencyCleanup(): written before the file exists, cleared once
// it is gone.
char emergencyName[PATH_MAX + 1];

QByteArray workFileName(const QByteArray &folder)
{
    QByteArray name = folder + '/' + kWorkPrefix;
    QRandomGenerator *random = QRandomGenerator::system();
    for (int i = 0; i < kRandomCharacters; ++i)
        name += kNameCharacters[random->bounded(int(sizeof kNameCharacters) - 1)];
    return name;
}

QByteArray procPath(int fd)
{
    return "/proc/self/fd/" + QByteArray::number(fd);
}

// Whether fd can be opened again by name through /proc: then the library writes the very file
// the tool created, whatever happens to names in its folder meanwhile.
bool reachableThroughProc(int fd)
{
    struct stat byName {};
    struct stat byDescriptor {};
    return ::stat(procPath(fd).constData(), &byName) == 0 && ::fstat(fd, &byDescriptor) == 0
            && byName.st_dev == byDescriptor.st_dev && byName.st_ino == byDescriptor.st_ino;
}

// The folder part of path as written ("." when there is none): the file system, not the
// text, decides later where it leads.
QByteArray folderPart(const QByteArray &path)
{
    const int slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

QByteArray namePart(const QByteArray &path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

bool realPath(const QByteArray &path, QByteArray *resolved)
{
    char buffer[PATH_MAX];
    if (!::realpath(path.constData(), buffer))
        return false;
    *resolved = QByteArray(buffer);
    return true;
}

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

} // namespace

OutputTarget::~OutputTarget()
{
    discard();
}

bool OutputTarget::fail(int errorNumber, QString *error) const
{
    return fail(QString::fromLocal8Bit(std::strerror(errorNumber)), error);
}

bool OutputTarget::fail(const QString &reason, QString *error) const
{
    *error = QStringLiteral("cannot write %1: %2").arg(displayPath(), reason);
    return false;
}

OutputTarget::Status OutputTarget::open(const QString &requestedPath, const FileIdentities &inputs,
                                        QString *error)
{
    requested = requestedPath;
    if (!resolve(error))
        return Status::Failed;

    std::optional<FileIdentity> target;
    if (toStandardOutput)
        target = FileIdentity::ofDescriptor(STDOUT_FILENO);
    else if (kind == Kind::Stream)
        target = FileIdentity::ofPath(QFile::decodeName(streamPath));
    else if (replacing)
        target = FileIdentity::ofPath(finalPath);
    if (target && inputs.contains(*target)) {
        fail(QStringLiteral("it is also an input of this run"), error);
        return Status::Refused;
    }

    const QByteArray workFolder = kind == Kind::File ? folder : QFile::encodeName(QDir::tempPath());
    return createWorkFile(workFolder, error) ? Status::Ok : Status::Failed;
}

bool OutputTarget::resolve(QString *error)
{
    if (requested == QLatin1String("-"))
        return useStandardOutput(error);
    QByteArray path = QFile::encodeName(requested);
    // Follows the links of OUT itself by hand, so that a link to a file not yet there leads
    // to where that file will be created.
    for (int depth = 0; depth <= kMaxLinkDepth; ++depth) {
        struct stat status {};
        if (::lstat(path.constData(), &status) != 0)
            return errno == ENOENT ? resolveNew(path, error) : fail(errno, error);
        if (!S_ISLNK(status.st_mode))
            return resolveExisting(path, status, error);
        if (::stat(path.constData(), &status) == 0)
            return resolveExisting(path, status, error);
        if (errno != ENOENT)
            return fail(errno, error);
        char target[PATH_MAX];
        const ssize_t length = ::readlink(path.constData(), target, sizeof target);
        if (length < 0 || length == ssize_t(sizeof target))
            return fail(length < 0 ? errno : ENAMETOOLONG, error);
        const QByteArray next(target, int(length));
        path = next.startsWith('/') ? next : folderPart(path) + '/' + next;
    }
    return fail(ELOOP, error);
}

bool OutputTarget::resolveExisting(const QByteArray &path, const struct stat &status, QString *error)
{
    const std::optional<FileIdentity> standardOutput = FileIdentity::ofDescriptor(STDOUT_FILENO);
    if (!S_ISDIR(status.st_mode) && standardOutput
        && *standardOutput == FileIdentity{quint64(status.st_dev), quint64(status.st_ino)})
        return useStandardOutput(error);

    if (S_ISREG(status.st_mode)) {
        QByteArray resolved;
        if (!realPath(path, &resolved))
            return fail(errno, error);
        kind = Kind::File;
        replacing = true;
        existing = status;
        finalPath = QFile::decodeName(resolved);
        folder = folderPart(resolved);
        return true;
    }
    if (S_ISCHR(status.st_mode) || S_ISFIFO(status.st_mode)) {
        kind = Kind::Stream;
        streamPath = path;
        return true;
    }
    if (S_ISDIR(status.st_mode))
        return fail(QStringLiteral("it is a directory"), error);
    if (S_ISBLK(status.st_mode))
        return fail(QStringLiteral("it is a block device"), error);
    return fail(QStringLiteral("it is not a file, a FIFO or a character device"), error);
}

bool OutputTarget::resolveNew(const QByteArray &path, QString *error)
{
    QByteArray resolvedFolder;
    if (!realPath(folderPart(path), &resolvedFolder))
        return fail(errno, error);
    struct stat status {};
    if (::stat(resolvedFolder.constData(), &status) != 0 || !S_ISDIR(status.st_mode))
        return fail(ENOTDIR, error);
    const QByteArray name = namePart(path);
    if (name.isEmpty() || name == "." || name == "..")
        return fail(QStringLiteral("it is a directory"), error);
    kind = Kind::File;
    folder = resolvedFolder;
    finalPath = QFile::decodeName(resolvedFolder == "/" ? "/" + name : resolvedFolder + '/' + name);
    return true;
}

bool OutputTarget::useStandardOutput(QString *error)
{
    if (::isatty(STDOUT_FILENO))
        return fail(QStringLiteral("standard output is a terminal"), error);
    kind = Kind::Stream;
    toStandardOutput = true;
    return true;
}

bool OutputTarget::createWorkFile(const QByteArray &workFolder, QString *error)
{
    // A file without a name cannot be left behind, however the process ends.
    int fd = ::open(workFolder.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, kPrivateMode);
    if (fd >= 0 && reachableThroughProc(fd)) {
        workFd = fd;
        libraryPath = QFile::decodeName(procPath(fd));
        return true;
    }
    if (fd >= 0)
        ::close(fd);

    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const QByteArray name = workFileName(workFolder);
        if (name.size() > PATH_MAX)
            return fail(ENAMETOOLONG, error);
        std::memcpy(emergencyName, name.constData(), size_t(name.size()) + 1);
        fd = ::open(name.constData(), O_CREAT | O_EXCL | O_NOFOLLOW | O_RDWR | O_CLOEXEC,
                    kPrivateMode);
        if (fd >= 0) {
            workFd = fd;
            workName = name;
            break;
        }
        emergencyName[0] = '\0';
        if (errno != EEXIST)
            return fail(errno, error);
    }
    if (workFd < 0)
        return fail(EEXIST, error);
    const bool reachable = reachableThroughProc(workFd);
    // A temporary file for a stream needs no name once the library can reach it without one.
    if (kind == Kind::Stream && reachable && ::unlink(workName.constData()) == 0)
        forgetWorkName();
    libraryPath = QFile::decodeName(reachable ? procPath(workFd) : workName);
    return true;
}

QString OutputTarget::writePath() const
{
    return libraryPath;
}

QString OutputTarget::displayPath() const
{
    return requested == QLatin1String("-") ? QStringLiteral("standard output") : requested;
}

QString OutputTarget::destination() const
{
    if (toStandardOutput)
        return QStringLiteral("standard output");
    return kind == Kind::File ? finalPath : displayPath();
}

bool OutputTarget::stillOurs(const QByteArray &name) const
{
    struct stat byName {};
    struct stat ours {};
    return ::lstat(name.constData(), &byName) == 0 && ::fstat(workFd, &ours) == 0
            && S_ISREG(byName.st_mode) && byName.st_dev == ours.st_dev && byName.st_ino == ours.st_ino;
}

OutputTarget::Status OutputTarget::commit(QString *error)
{
    if (workFd < 0) {
        fail(EBADF, error);
        return Status::Failed;
    }
    return kind == Kind::File ? commitFile(error) : commitStream(error);
}

OutputTarget::Status OutputTarget::failCommit(int errorNumber, QString *error)
{
    fail(errorNumber, error);
    discard();
    return Status::Failed;
}

void OutputTarget::applyPermissions() const
{
    // Failures leave the private mode of the work file, never a wider one.
    if (replacing) {
        // Owner and group where the process may set them, else the group alone.
        if (::fchown(workFd, existing.st_uid, existing.st_gid) != 0) {
            [[maybe_unused]] const int groupOnly = ::fchown(workFd, uid_t(-1), existing.st_gid);
        }
        ::fchmod(workFd, existing.st_mode & kPermissionBits);
        return;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(workFd, kNewFileMode & ~mask);
}

OutputTarget::Status OutputTarget::commitFile(QString *error)
{
    if (::fsync(workFd) != 0)
        return failCommit(errno, error);
    applyPermissions();
    {
        // Between the last look for a cancel and the rename, no signal may slip in.
        SignalsHeld held;
        if (SignalBridge::caught()) {
            discard();
            return Status::Cancelled;
        }
        if (!publishFile(error)) {
            discard();
            return Status::Failed;
        }
    }
    const int folderFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        // The rename itself reaches the disk too; a folder that cannot be synced is no fault.
        ::fsync(folderFd);
        ::close(folderFd);
    }
    ::close(workFd);
    workFd = -1;
    return Status::Ok;
}

// Gives the work file OUT's name. A nameless work file first gets a fresh name of its own,
// since a name can only be given to it where none exists yet.
bool OutputTarget::publishFile(QString *error)
{
    const QByteArray target = QFile::encodeName(finalPath);
    if (!workName.isEmpty()) {
        if (!stillOurs(workName))
            return fail(QStringLiteral("the work file was removed or replaced during the run"), error);
        if (::rename(workName.constData(), target.constData()) != 0)
            return fail(errno, error);
        forgetWorkName();
        return true;
    }
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const QByteArray name = workFileName(folder);
        if (name.size() > PATH_MAX)
            return fail(ENAMETOOLONG, error);
        std::memcpy(emergencyName, name.constData(), size_t(name.size()) + 1);
        if (::linkat(AT_FDCWD, procPath(workFd).constData(), AT_FDCWD, name.constData(),
                     AT_SYMLINK_FOLLOW) != 0) {
            const int linkError = errno;
            emergencyName[0] = '\0';
            if (linkError == EEXIST)
                continue;
            return fail(linkError, error);
        }
        if (::rename(name.constData(), target.constData()) != 0) {
            const int renameError = errno;
            ::unlink(name.constData());
            emergencyName[0] = '\0';
            return fail(renameError, error);
        }
        emergencyName[0] = '\0';
        return true;
    }
    return fail(EEXIST, error);
}

OutputTarget::Status OutputTarget::commitStream(QString *error)
{
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
            fail(QStringLiteral("it is a terminal"), error);
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
    if (workFd >= 0) {
        if (!workName.isEmpty() && stillOurs(workName))
            ::unlink(workName.constData());
        ::close(workFd);
        workFd = -1;
    }
    forgetWorkName();
}

void OutputTarget::forgetWorkName()
{
    workName.clear();
    emergencyName[0] = '\0';
}

void OutputTarget::emergencyCleanup()
{
    if (emergencyName[0] != '\0')
        ::unlink(emergencyName);
}
