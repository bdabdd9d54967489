#ifndef OUTPUTTARGET_H
#define OUTPUTTARGET_H

#include "fileidentity.h"
#include "mvworkfile.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <memory>

#include <sys/stat.h>

// Where the tool writes a report, so that a run either puts the complete PDF in place or
// leaves everything as it was.
//
// A regular OUT (new, existing, or reached through symbolic links) is written to a work file
// in OUT's own folder: a file without a name where the file system allows it, else one
// created exclusively under an unpredictable name, never through a link. Only the complete
// PDF takes OUT's name, by rename(), with OUT's permission bits (and owner and group, where
// the process may set them) or, for a new OUT, the mode the umask gives.
//
// Standard output ("-", or any path to the file standard output writes to), a FIFO or a
// character device receives the complete PDF from a temporary file without a name.
//
// The library writes the report into device(), the work file; its stage, for a report with an
// outline, goes beside it (stagingFolder()).
// Directories, block devices, sockets, terminals and the run's own inputs are refused.
class OutputTarget
{
public:
    enum class Status { Ok, Failed, Refused, Cancelled };

    OutputTarget() = default;
    // Discards whatever was not committed.
    ~OutputTarget();

    // requested: the path given with -o, "-" for standard output. inputs: the files the run
    // reads, which OUT must not be. error names OUT and the reason.
    Status open(const QString &requested, const FileIdentities &inputs, QString *error);
    // What the library writes the PDF into while the run lasts, and where it stages it.
    QIODevice *device();
    QString stagingFolder() const;
    // Why writing the work file failed, as far as the system tells (the file-size limit
    // reached, its file system full); empty when it tells nothing.
    QString writeFailureReason() const;
    // OUT as the user named it, for messages.
    QString displayPath() const;
    // Where the report ends up: an absolute path, or "standard output".
    QString destination() const;

    // Puts the complete PDF in place (Ok); or finds that a signal came first (Cancelled) or
    // that it cannot (Failed, with error), and then removes the work file.
    Status commit(QString *error);
    // Removes the work file; OUT stays as it was.
    void discard();

    // Removes a named work file from a handler of a fatal error: async-signal-safe.
    static void emergencyCleanup();

private:
    Q_DISABLE_COPY(OutputTarget)

    enum class Kind { None, File, Stream };

    bool fail(int errorNumber, QString *error) const;
    bool fail(const QString &reason, QString *error) const;
    // fail() with why the work file could not be made or named: the system's error in the
    // tool's words where there is one.
    bool failOfWorkFile(QString *error) const;
    static bool isTerminal(const QByteArray &path);
    bool resolve(QString *error);
    bool useStandardOutput();
    bool createWorkFile(QString *error);
    Status commitFile(QString *error);
    Status commitStream(QString *error);
    Status failCommit(int errorNumber, QString *error);

    Kind kind = Kind::None;
    QString requested;
    QByteArray finalPath;         // File: OUT with every link resolved
    bool replacing = false;       // File: a regular file stands at OUT
    bool toStandardOutput = false;  // Stream: file descriptor 1
    QByteArray streamPath;        // Stream: the FIFO or device, opened when the PDF is complete
    MvWorkFile workFile;
    std::unique_ptr<QFile> workDevice;
};

#endif // OUTPUTTARGET_H
