#include "mvworkfile.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <cerrno>

// The work file on Qt alone: a QSaveFile beside the destination, which takes the destination's
// name by replacing it whole, and a QTemporaryFile for a file that never gets a name of its own.

namespace {

// The links followed in one path before it counts as going round.
constexpr int kMaxLinkDepth = 40;
const QString kTemporaryTemplate = QStringLiteral(".mvpdfrender-XXXXXX");
// The owner's, the group's and the others' bits, without those of the process's own rights.
constexpr QFileDevice::Permissions kPermissionBits(QFileDevice::ReadOwner | QFileDevice::WriteOwner
        | QFileDevice::ExeOwner | QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup
        | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther);

QString folderPart(const QString &path)
{
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return QStringLiteral(".");
    return slash == 0 ? QStringLiteral("/") : path.left(slash);
}

// A file not there yet: the path in its folder, the folder's links resolved.
bool resolveNew(const QString &path, QByteArray *resolved)
{
    const QFileInfo folder(folderPart(path));
    if (!folder.exists()) {
        errno = ENOENT;
        return false;
    }
    if (!folder.isDir()) {
        errno = ENOTDIR;
        return false;
    }
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..")) {
        errno = EISDIR;
        return false;
    }
    *resolved = QFile::encodeName(QDir(folder.canonicalFilePath()).filePath(name));
    return true;
}

} // namespace

MvWorkFile::MvWorkFile() = default;

MvWorkFile::~MvWorkFile()
{
    discard();
}

bool MvWorkFile::resolve(const QByteArray &path, QByteArray *resolved, Kind *kind)
{
    QString current = QFile::decodeName(path);
    for (int depth = 0; depth <= kMaxLinkDepth; ++depth) {
        const QFileInfo info(current);
        if (info.exists()) {
            *kind = info.isDir() ? Kind::Directory : info.isFile() ? Kind::Regular : Kind::Other;
            // A pipe or a device may have no path of its own to resolve to.
            *resolved = *kind == Kind::Other ? QFile::encodeName(current) : QFile::encodeName(info.canonicalFilePath());
            return true;
        }
        *kind = Kind::None;
        if (!info.isSymLink())
            return resolveNew(current, resolved);
        // A link to a file not yet there: follow it to where that file will be made. Its
        // target is read from the link as it stands in its folder's real path, so that ".." in
        // the target leads where the system would go.
        const QFileInfo folder(folderPart(current));
        if (!folder.isDir()) {
            errno = ENOENT;
            return false;
        }
        current = QFileInfo(QDir(folder.canonicalFilePath()).filePath(info.fileName())).symLinkTarget();
    }
    errno = ELOOP;
    return false;
}

bool MvWorkFile::create(const QByteArray &destination)
{
    discard();
    published = false;
    target = destination;
    const QString path = QFile::decodeName(destination);
    // The replaced file's own permission bits: Qt's permissions also tell what this process
    // may do with it, which must not widen the owner's.
    keptPermissions = int(QFile::permissions(path) & kPermissionBits);
    auto saveFile = std::make_unique<QSaveFile>(path);
    // Never written in place: a destination that cannot be replaced whole is a failure.
    saveFile->setDirectWriteFallback(false);
    errno = 0;
    if (!saveFile->open(QIODevice::WriteOnly))
        return errno != 0 ? fail(errno) : fail(saveFile->errorString());
    file = std::move(saveFile);
    return true;
}

bool MvWorkFile::createTemporary(const QByteArray &folder)
{
    discard();
    published = false;
    target.clear();
    auto temporary = std::make_unique<QTemporaryFile>(QDir(QFile::decodeName(folder)).filePath(kTemporaryTemplate));
    errno = 0;
    if (!temporary->open())
        return errno != 0 ? fail(errno) : fail(temporary->errorString());
    file = std::move(temporary);
    return true;
}

int MvWorkFile::handle() const
{
    return file ? file->handle() : -1;
}

bool MvWorkFile::isOpen() const
{
    return file && file->isOpen();
}

qint64 MvWorkFile::writeAt(const char *data, qint64 length, qint64 at) const
{
    if (!isOpen() || !file->seek(at))
        return -1;
    const qint64 written = file->write(data, length);
    return written == length && file->flush() ? written : -1;
}

qint64 MvWorkFile::readAt(char *data, qint64 length, qint64 at) const
{
    if (!isOpen() || !file->seek(at))
        return -1;
    return file->read(data, length);
}

FILE *MvWorkFile::duplicateStream() const
{
    return nullptr;
}

bool MvWorkFile::truncateHandle(int, qint64)
{
    return false;
}

bool MvWorkFile::publish()
{
    auto *saveFile = qobject_cast<QSaveFile *>(file.get());
    if (!saveFile || target.isEmpty())
        return fail(EBADF);
    if (keptPermissions != 0)
        saveFile->setPermissions(QFileDevice::Permissions(keptPermissions));
    if (!saveFile->commit())
        return fail(saveFile->errorString());
    file.reset();
    const QFileInfo written(QFile::decodeName(target));
    publishedSize = written.size();
    publishedTime = written.lastModified().toMSecsSinceEpoch();
    published = true;
    return true;
}

bool MvWorkFile::stillPublished() const
{
    const QFileInfo current(QFile::decodeName(target));
    return published && current.isFile() && !current.isSymLink() && current.size() == publishedSize
            && current.lastModified().toMSecsSinceEpoch() == publishedTime;
}

bool MvWorkFile::publishedStillThere() const
{
    return stillPublished();
}

bool MvWorkFile::publishedAtDestination() const
{
    return stillPublished();
}

QByteArray MvWorkFile::publishedLocation() const
{
    return QByteArray();
}

bool MvWorkFile::removePublished()
{
    return stillPublished() && QFile::remove(QFile::decodeName(target));
}

void MvWorkFile::discard()
{
    // A save file not committed drops its file; a temporary file removes itself.
    file.reset();
}

void MvWorkFile::emergencyCleanup()
{
    // Nothing here is safe in a handler of a fatal error: a crash leaves the named work file.
}
