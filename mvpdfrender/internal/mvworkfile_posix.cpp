#include "mvworkfile.h"

#include <QRandomGenerator>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The kernel's own limit on the links it follows in one path.
constexpr int kMaxLinkDepth = 40;
// Work names are tried this often before giving up (each try is a fresh random name).
constexpr int kNameAttempts = 100;
// ".mvpdfrender-" and 12 random characters: 25 bytes, whatever the length of the destination.
const char kWorkPrefix[] = ".mvpdfrender-";
constexpr int kRandomCharacters = 12;
const char kNameCharacters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
constexpr mode_t kPrivateMode = S_IRUSR | S_IWUSR;
constexpr mode_t kNewFileMode = S_IRUSR | S_IWUSR | S_IRGRP | S_IWGRP | S_IROTH | S_IWOTH;
constexpr mode_t kPermissionBits = S_IRWXU | S_IRWXG | S_IRWXO;

// The named work files of this process that a crash would leave, for emergencyCleanup(): a
// slot is held by one work file for its lifetime; its name is written before the file exists
// and cleared once the file is gone or published. A work file beside its destination and the
// stage of the same report have a name at once, so there are several.
constexpr int kEmergencySlots = 8;
struct EmergencyName
{
    std::atomic_bool taken{false};
    volatile std::sig_atomic_t set = 0;
    char path[PATH_MAX + 1] = {};
};
EmergencyName emergencyNames[kEmergencySlots];

// A free slot, or -1 when all are taken (the name is then not removed after a crash).
int takeEmergencySlot()
{
    for (int slot = 0; slot < kEmergencySlots; ++slot) {
        bool expected = false;
        if (emergencyNames[slot].taken.compare_exchange_strong(expected, true))
            return slot;
    }
    return -1;
}

QByteArray randomName()
{
    QByteArray name = kWorkPrefix;
    QRandomGenerator *random = QRandomGenerator::system();
    for (int i = 0; i < kRandomCharacters; ++i)
        name += kNameCharacters[random->bounded(int(sizeof kNameCharacters) - 1)];
    return name;
}

QByteArray procPath(int fd)
{
    return "/proc/self/fd/" + QByteArray::number(fd);
}

// Whether fd can be reached by a name in /proc: a nameless file can only be given a name so.
bool reachableThroughProc(int fd)
{
    struct stat byName {};
    struct stat byDescriptor {};
    return ::stat(procPath(fd).constData(), &byName) == 0 && ::fstat(fd, &byDescriptor) == 0
            && byName.st_dev == byDescriptor.st_dev && byName.st_ino == byDescriptor.st_ino;
}

// The folder part of path as written ("." when there is none).
QByteArray folderPart(const QByteArray &path)
{
    const int slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

bool realPath(const QByteArray &path, QByteArray *resolved)
{
    char buffer[PATH_MAX];
    if (!::realpath(path.constData(), buffer))
        return false;
    *resolved = QByteArray(buffer);
    return true;
}

void forget(int slot)
{
    if (slot >= 0)
        emergencyNames[slot].set = 0;
}

// The name in slot, complete before a handler may read it.
void remember(int slot, const QByteArray &name)
{
    if (slot < 0)
        return;
    EmergencyName &entry = emergencyNames[slot];
    entry.set = 0;
    std::atomic_signal_fence(std::memory_order_seq_cst);
    if (name.size() > PATH_MAX)
        return;
    std::memcpy(entry.path, name.constData(), size_t(name.size()) + 1);
    std::atomic_signal_fence(std::memory_order_seq_cst);
    entry.set = 1;
}

} // namespace

MvWorkFile::MvWorkFile() = default;

MvWorkFile::~MvWorkFile()
{
    discard();
    closeFolder();
    if (emergencySlot >= 0) {
        forget(emergencySlot);
        emergencyNames[emergencySlot].taken = false;
    }
}

bool MvWorkFile::resolve(const QByteArray &path, QByteArray *resolved, Kind *kind)
{
    QByteArray current = path;
    struct stat status {};
    for (int depth = 0; depth <= kMaxLinkDepth; ++depth) {
        if (::lstat(current.constData(), &status) != 0) {
            *kind = Kind::None;
            return errno == ENOENT && resolveNew(current, resolved);
        }
        if (!S_ISLNK(status.st_mode) || ::stat(current.constData(), &status) == 0) {
            // A pipe or a device may have no path of its own to resolve to (/dev/stdout).
            if (!S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode)) {
                *kind = Kind::Other;
                *resolved = current;
                return true;
            }
            *kind = S_ISREG(status.st_mode) ? Kind::Regular : Kind::Directory;
            return realPath(current, resolved);
        }
        if (errno != ENOENT)
            return false;
        // A link to a file not yet there: follow it to where that file will be made.
        char linked[PATH_MAX];
        const ssize_t length = ::readlink(current.constData(), linked, sizeof linked);
        if (length < 0)
            return false;
        if (length == ssize_t(sizeof linked)) {
            errno = ENAMETOOLONG;
            return false;
        }
        const QByteArray next(linked, int(length));
        current = next.startsWith('/') ? next : folderPart(current) + '/' + next;
    }
    errno = ELOOP;
    return false;
}

// A file not there yet: the path in its folder, the folder's links resolved.
bool MvWorkFile::resolveNew(const QByteArray &path, QByteArray *resolved)
{
    QByteArray resolvedFolder;
    struct stat status {};
    if (!realPath(folderPart(path), &resolvedFolder))
        return false;
    if (::stat(resolvedFolder.constData(), &status) != 0 || !S_ISDIR(status.st_mode)) {
        errno = ENOTDIR;
        return false;
    }
    const QByteArray name = path.mid(path.lastIndexOf('/') + 1);
    if (name.isEmpty() || name == "." || name == "..") {
        errno = EISDIR;
        return false;
    }
    *resolved = (resolvedFolder == "/" ? QByteArray() : resolvedFolder) + '/' + name;
    return true;
}

bool MvWorkFile::create(const QByteArray &destination)
{
    discard();
    closeFolder();
    target = destination;
    targetName = destination.mid(destination.lastIndexOf('/') + 1);
    struct stat status {};
    replacing = ::stat(destination.constData(), &status) == 0 && S_ISREG(status.st_mode);
    replaced = status;
    return open(folderPart(destination), true);
}

bool MvWorkFile::createTemporary(const QByteArray &inFolder)
{
    discard();
    closeFolder();
    target.clear();
    targetName.clear();
    return open(inFolder, false);
}

bool MvWorkFile::open(const QByteArray &inFolder, bool forPublishing)
{
    folder = inFolder;
    published = false;
    error.clear();
    errorNumber = 0;
    // Every later step is taken in this folder, found once: a name swapped for a link to
    // another folder during the run changes nothing.
    folderFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd < 0)
        return fail(errno);
    // A file without a name cannot be left behind, however the process ends. Nobody can open
    // it before it is linked, so a new destination's file is made with the mode an ordinary
    // new file gets there (the umask, or the folder's default ACL); one that replaces a file
    // is private until it takes that file's permissions.
    const mode_t mode = forPublishing && !replacing ? kNewFileMode : kPrivateMode;
    fd = ::openat(folderFd, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, mode);
    finalMode = fd >= 0 && mode == kNewFileMode;
    if (fd >= 0 && (!forPublishing || reachableThroughProc(fd)))
        return true;
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
    finalMode = false;
    if (!openNamed())
        return false;
    if (!forPublishing && ::unlinkat(folderFd, name.constData(), 0) == 0)
        forgetName();
    return true;
}

bool MvWorkFile::openNamed()
{
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const QByteArray candidate = randomName();
        rememberName(folder + '/' + candidate);
        fd = ::openat(folderFd, candidate.constData(),
                      O_CREAT | O_EXCL | O_NOFOLLOW | O_RDWR | O_CLOEXEC, kPrivateMode);
        if (fd >= 0) {
            name = candidate;
            return true;
        }
        forget(emergencySlot);
        if (errno != EEXIST)
            return fail(errno);
    }
    return fail(EEXIST);
}

int MvWorkFile::handle() const
{
    return fd;
}

bool MvWorkFile::isOpen() const
{
    return fd >= 0;
}

qint64 MvWorkFile::writeAt(const char *data, qint64 length, qint64 at) const
{
    return ::pwrite(fd, data, size_t(length), at);
}

qint64 MvWorkFile::readAt(char *data, qint64 length, qint64 at) const
{
    return ::pread(fd, data, size_t(length), at);
}

FILE *MvWorkFile::duplicateStream() const
{
    const int duplicate = fd >= 0 ? ::dup(fd) : -1;
    FILE *stream = duplicate >= 0 ? ::fdopen(duplicate, "rb") : nullptr;
    if (stream)
        std::rewind(stream);
    else if (duplicate >= 0)
        ::close(duplicate);
    return stream;
}

bool MvWorkFile::truncateHandle(int handle, qint64 size)
{
    return ::ftruncate(handle, off_t(size)) == 0;
}

bool MvWorkFile::stillOurs(const QByteArray &entry) const
{
    struct stat byName {};
    struct stat ours {};
    return ::fstatat(folderFd, entry.constData(), &byName, AT_SYMLINK_NOFOLLOW) == 0
            && ::fstat(fd, &ours) == 0 && S_ISREG(byName.st_mode)
            && byName.st_dev == ours.st_dev && byName.st_ino == ours.st_ino;
}

void MvWorkFile::applyPermissions() const
{
    // Failures leave the private mode of the work file, never a wider one.
    if (replacing) {
        // Owner and group where the process may set them, else the group alone.
        if (::fchown(fd, replaced.st_uid, replaced.st_gid) != 0) {
            [[maybe_unused]] const int groupOnly = ::fchown(fd, uid_t(-1), replaced.st_gid);
        }
        ::fchmod(fd, replaced.st_mode & kPermissionBits);
        return;
    }
    if (finalMode)
        return;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, kNewFileMode & ~mask);
}

// Gives a nameless work file a fresh name of its own in its folder (a name can only be given
// where none exists yet), from which it is renamed over the destination.
bool MvWorkFile::linkUnderNewName(QByteArray *linked)
{
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const QByteArray candidate = randomName();
        rememberName(folder + '/' + candidate);
        if (::linkat(AT_FDCWD, procPath(fd).constData(), folderFd, candidate.constData(),
                     AT_SYMLINK_FOLLOW) == 0) {
            *linked = candidate;
            return true;
        }
        const int linkError = errno;
        forget(emergencySlot);
        if (linkError != EEXIST)
            return fail(linkError);
    }
    return fail(EEXIST);
}

bool MvWorkFile::publish()
{
    if (fd < 0 || target.isEmpty())
        return fail(EBADF);
    if (::fsync(fd) != 0)
        return fail(errno);
    applyPermissions();
    if (!name.isEmpty() && !stillOurs(name))
        return fail(QStringLiteral("the work file was removed or replaced during the run"));
    QByteArray source = name;
    if (source.isEmpty() && !linkUnderNewName(&source))
        return false;
    if (::renameat(folderFd, source.constData(), folderFd, targetName.constData()) != 0) {
        const int renameError = errno;
        if (name.isEmpty())
            ::unlinkat(folderFd, source.constData(), 0);
        forget(emergencySlot);
        return fail(renameError);
    }
    forgetName();
    // The rename itself reaches the disk too; a folder that cannot be synced is no fault.
    ::fsync(folderFd);
    struct stat ours {};
    ::fstat(fd, &ours);
    publishedDevice = ours.st_dev;
    publishedInode = ours.st_ino;
    published = true;
    ::close(fd);
    fd = -1;
    return true;
}

bool MvWorkFile::publishedStillThere() const
{
    struct stat current {};
    return published && folderFd >= 0
            && ::fstatat(folderFd, targetName.constData(), &current, AT_SYMLINK_NOFOLLOW) == 0
            && S_ISREG(current.st_mode) && current.st_dev == publishedDevice
            && current.st_ino == publishedInode;
}

bool MvWorkFile::publishedAtDestination() const
{
    struct stat current {};
    return published && ::stat(target.constData(), &current) == 0 && current.st_dev == publishedDevice
            && current.st_ino == publishedInode;
}

QByteArray MvWorkFile::publishedLocation() const
{
    char folderNow[PATH_MAX];
    const ssize_t length = folderFd < 0 ? -1 : ::readlink(procPath(folderFd).constData(), folderNow, sizeof folderNow);
    if (length <= 0 || length == ssize_t(sizeof folderNow))
        return QByteArray();
    const QByteArray folderPath(folderNow, int(length));
    return (folderPath == "/" ? QByteArray() : folderPath) + '/' + targetName;
}

bool MvWorkFile::removePublished()
{
    return publishedStillThere() && ::unlinkat(folderFd, targetName.constData(), 0) == 0;
}

void MvWorkFile::discard()
{
    if (fd >= 0) {
        if (!name.isEmpty() && stillOurs(name))
            ::unlinkat(folderFd, name.constData(), 0);
        ::close(fd);
        fd = -1;
    }
    forgetName();
}

void MvWorkFile::closeFolder()
{
    if (folderFd >= 0)
        ::close(folderFd);
    folderFd = -1;
}

void MvWorkFile::forgetName()
{
    name.clear();
    forget(emergencySlot);
}

void MvWorkFile::rememberName(const QByteArray &path)
{
    if (emergencySlot < 0)
        emergencySlot = takeEmergencySlot();
    remember(emergencySlot, path);
}

void MvWorkFile::emergencyCleanup()
{
    for (const EmergencyName &entry : emergencyNames) {
        if (entry.set)
            ::unlink(entry.path);
    }
}
