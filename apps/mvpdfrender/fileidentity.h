#ifndef FILEIDENTITY_H
#define FILEIDENTITY_H

#include <QString>
#include <QVector>

#include <optional>

// A file as the file system knows it: device and inode. Two paths name the same file when
// their identities are equal, whatever their spelling and the links on the way.
struct FileIdentity
{
    quint64 device = 0;
    quint64 inode = 0;

    bool operator==(const FileIdentity &other) const
    {
        return device == other.device && inode == other.inode;
    }

    // The file path leads to, following symbolic links; nothing when it does not exist.
    static std::optional<FileIdentity> ofPath(const QString &path);
    // The file open on descriptor fd.
    static std::optional<FileIdentity> ofDescriptor(int fd);
};

using FileIdentities = QVector<FileIdentity>;

#endif // FILEIDENTITY_H
