#ifndef MVWORKFILE_H
#define MVWORKFILE_H

#include <QByteArray>
#include <QtGlobal>
#include <QString>

#include <sys/stat.h>

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
class MvWorkFile
{
public:
    MvWorkFile() = default;
    // Discards the file unless it was published.
    ~MvWorkFile();

    // Where path leads: its symbolic links followed by hand, so that a link to a file not yet
    // there leads to where that file will be made, and its folder's links resolved (a path to
    // anything but a regular file or a folder comes back as it is). *exists tells whether a
    // file stands there, *status what it is. False, with errno, when the folder does not
    // exist or the links go round.
    static bool resolve(const QByteArray &path, QByteArray *resolved, struct stat *status,
                        bool *exists);

    // A work file for destination, a resolved path where a regular file stands or none yet.
    // False, with errorString(), when the folder takes no file.
    bool create(const QByteArray &destination);
    // A file in folder that never gets a name: written, read back and dropped. Where the file
    // system gives no nameless files it is named only for the moment it takes to make it.
    bool createTemporary(const QByteArray &folder);

    // The open file (read and write), or -1.
    int handle() const;
    QByteArray destination() const;

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

    // Removes the named work file of a publish or a create under way from a handler of a fatal
    // error: async-signal-safe.
    static void emergencyCleanup();

private:
    Q_DISABLE_COPY(MvWorkFile)

    static bool resolveNew(const QByteArray &path, QByteArray *resolved, bool *exists);
    bool open(const QByteArray &folder, bool forPublishing);
    bool openNamed();
    bool stillOurs(const QByteArray &entry) const;
    void closeFolder();
    void applyPermissions() const;
    bool linkUnderNewName(QByteArray *linked);
    bool fail(int errorNumber);
    bool fail(const QString &reason);
    void forgetName();

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
    QString error;
    int errorNumber = 0;
};

#endif // MVWORKFILE_H
