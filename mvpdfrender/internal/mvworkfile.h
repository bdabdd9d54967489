#ifndef MVWORKFILE_H
#define MVWORKFILE_H

#include <QByteArray>
#include <QtGlobal>
#include <QString>

#include <cstdio>
#include <memory>

#if MVPDFRENDER_PORTABLE_FILES
class QFileDevice;
#else
#include <sys/stat.h>
#endif

// A file written beside its destination that takes the destination's name only when it is
// complete, so that a reader of the destination sees the file that stood there or the whole
// new one, never a part, and a run that does not complete leaves the destination as it was.
// While it is written the file has no name where the file system allows that (O_TMPFILE),
// else an exclusive, unpredictable one (".mvpdfrender-" and 12 random characters), never
// reached through a link. The folder is opened once, when the file is made, and every later
// step is taken in that folder: one swapped for a link meanwhile changes nothing. Also makes
// temporary files that never get a name at all.
//
// The library writes its reports through it, and so does the command-line tool.
//
// All of the library's handling of files that goes beyond Qt is here. It is built on the
// POSIX calls where the system has them (Linux), else, or when MVPDFRENDER_PORTABLE_FILES is
// set, on Qt alone: the work file then has a name while it is written (its destination's
// name with random characters added, removed when it is dropped, but left behind by a crash),
// its folder is found again by its path at each step, a replaced file's owner and group are
// not kept, and "the same file" is told by its size and time of change rather than its device
// and inode.
class MvWorkFile
{
public:
    // What stands at a resolved path.
    enum class Kind { None, Regular, Directory, Other };

    MvWorkFile();
    // Discards the file unless it was published.
    ~MvWorkFile();

    // Where path leads: its symbolic links followed by hand, so that a link to a file not yet
    // there leads to where that file will be made, and its folder's links resolved (a path to
    // anything but a regular file or a folder comes back as it is). *kind tells what stands
    // there. False, with errno, when the folder does not exist or the links go round.
    static bool resolve(const QByteArray &path, QByteArray *resolved, Kind *kind);

    // A work file for destination, a resolved path where a regular file stands or none yet.
    // False, with errorString(), when the folder takes no file.
    bool create(const QByteArray &destination);
    // A file in folder that never gets a name: written, read back and dropped. Where the file
    // system gives no nameless files it is named only for the moment it takes to make it.
    bool createTemporary(const QByteArray &folder);

    // The open file (read and write; write only for a work file beside its destination where
    // the file is made on Qt alone), or -1.
    int handle() const;
    bool isOpen() const;
    QByteArray destination() const;
    // Writes (reads) at a place in the open file, leaving its position alone; the bytes
    // written (read), or -1 with errno.
    qint64 writeAt(const char *data, qint64 length, qint64 at) const;
    qint64 readAt(char *data, qint64 length, qint64 at) const;
    // A stream of the C library on a duplicate of the open file, positioned at its start, for a
    // reader that takes one; null where the system gives none. The caller closes it.
    FILE *duplicateStream() const;
    // Cuts the file open as handle down to size: for a file whose own resize failed because
    // its buffer could not be written. False where it cannot.
    static bool truncateHandle(int handle, qint64 size);

    // Gives the complete file the destination's name: synced to disk first, with the
    // permission bits of the file it replaces (and its owner and group, where the process may
    // set them), or for a new file those the umask leaves of 0666; then the folder is synced.
    // False, with errorString(), when the work file cannot take the name; it stays to be
    // discarded.
    bool publish();
    // Whether the file published is still the one at the destination (same device and inode),
    // and removing it while it is.
    bool publishedStillThere() const;
    // Whether the destination, as its path reads now, leads to the file published: not when
    // its folder was moved (and another put in its place) during the run.
    bool publishedAtDestination() const;
    // Where the published file stands now: its folder's present path and its name; empty where
    // the system cannot tell (no /proc).
    QByteArray publishedLocation() const;
    bool removePublished();
    // Closes the file and removes its name, if it has one and it is still this file.
    void discard();
    QString errorString() const;
    // The system's error number of the last failure; 0 when it was none of the system's.
    int systemError() const;

    // Removes the named work files of this process (of a publish or a create under way, of a
    // stage) from a handler of a fatal error: async-signal-safe.
    static void emergencyCleanup();

private:
    Q_DISABLE_COPY(MvWorkFile)

    bool fail(int errorNumber);
    bool fail(const QString &reason);

#if MVPDFRENDER_PORTABLE_FILES
    bool stillPublished() const;

    std::unique_ptr<QFileDevice> file;  // a QSaveFile beside the destination, or a QTemporaryFile
    QByteArray target;                  // the destination; empty for a temporary file
    int keptPermissions = 0;            // the replaced file's permission bits (QFileDevice's)
    qint64 publishedSize = -1;
    qint64 publishedTime = 0;           // its time of change, in ms since the epoch
    bool published = false;
#else
    static bool resolveNew(const QByteArray &path, QByteArray *resolved);
    bool open(const QByteArray &folder, bool forPublishing);
    bool openNamed();
    bool stillOurs(const QByteArray &entry) const;
    void closeFolder();
    void applyPermissions() const;
    bool linkUnderNewName(QByteArray *linked);
    void forgetName();
    // Records path for emergencyCleanup(), in the slot this file holds.
    void rememberName(const QByteArray &path);

    int fd = -1;
    QByteArray target;        // the destination; empty for a temporary file
    QByteArray targetName;    // ... its name in the folder
    QByteArray folder;
    int folderFd = -1;        // the folder, opened once: every step is taken in it
    QByteArray name;          // the work file's own name in the folder, while it has one
    bool replacing = false;   // a regular file stands at the destination
    bool finalMode = false;   // made without a name and with a new file's mode already
    struct stat replaced {};  // ... and what it was
    dev_t publishedDevice = 0;
    ino_t publishedInode = 0;
    bool published = false;
    int emergencySlot = -1;   // where emergencyCleanup() finds this file's name; -1: none yet
#endif
    QString error;
    int errorNumber = 0;
};

#endif // MVWORKFILE_H
