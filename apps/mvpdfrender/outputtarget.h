#ifndef OUTPUTTARGET_H
#define OUTPUTTARGET_H

#include "fileidentity.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <memory>

// Where the tool writes a report, so that a run either puts the complete PDF in place or
// leaves everything as it was.
//
// A regular OUT (new, existing, or reached through symbolic links) is the library's to write:
// the job gets its path, and the library gives the report OUT's name only when it is complete,
// with OUT's permission bits, or for a new OUT the mode the umask gives. The target holds OUT's
// folder open meanwhile, to tell afterwards whether OUT's path still leads to the report.
//
// Standard output ("-", or any path to the file standard output writes to), a FIFO or a
// character device receives the complete PDF from a temporary file without a name, which the
// library writes as the job's device().
// Directories, block devices, sockets, terminals and the run's own inputs are refused.
class OutputTarget
{
public:
    enum class Status { Ok, Failed, Refused, Cancelled };

    OutputTarget() = default;
    // Drops the temporary file of a stream that was not committed; lets go of OUT's folder.
    ~OutputTarget();

    // requested: the path given with -o, "-" for standard output. inputs: the files the run
    // reads, which OUT must not be. error names OUT and the reason.
    Status open(const QString &requested, const FileIdentities &inputs, QString *error);
    // What the library writes the PDF of a stream into while the run lasts; null for a file,
    // which it writes at OUT's path.
    QIODevice *device();
    // Whether OUT receives the PDF only when the tool commits it.
    bool isStream() const;
    // Why writing the temporary file of a stream failed, as far as the system tells (the
    // file-size limit reached, its file system full); empty when it tells nothing.
    QString writeFailureReason() const;
    // OUT as the user named it, for messages.
    QString displayPath() const;
    // Where the report ends up: an absolute path, or "standard output".
    QString destination() const;

    // Standard output was closed when the tool started (it then writes to /dev/null): a
    // report for it has nowhere to go.
    static void setStandardOutputClosed();

    // After the library completed the report: a stream receives the complete PDF (Ok), unless
    // a signal comes first (Cancelled; with error when the stream has received part of it) or
    // it cannot (Failed, with error); a file is checked to stand at OUT's path (Failed, naming
    // where it stands, when its folder was moved).
    Status commit(QString *error);
    // Drops the temporary file of a stream; OUT stays as it was.
    void discard();

private:
    Q_DISABLE_COPY(OutputTarget)

    enum class Kind { None, File, Stream };

    bool fail(int errorNumber, QString *error) const;
    bool fail(const QString &reason, QString *error) const;
    static bool isTerminal(const QByteArray &path);
    bool resolve(QString *error);
    bool useStandardOutput(QString *error);
    bool holdFolder(QString *error);
    QString inTemporaryFile(const QString &reason) const;
    bool createTemporaryFile(QString *error);
    Status commitFile(QString *error);
    Status commitStream(QString *error);
    Status failCommit(int errorNumber, QString *error);

    static bool standardOutputClosed;

    Kind kind = Kind::None;
    QString requested;
    QString finalPath;              // File: OUT with every link resolved
    int folderHandle = -1;          // File: OUT's folder, as it was when the run began
    bool toStandardOutput = false;  // Stream: file descriptor 1
    QByteArray streamPath;          // Stream: the FIFO or device, opened when the PDF is complete
    std::unique_ptr<QFile> temporary;  // Stream: the PDF until it is complete
    QString temporaryFolder;        // Stream: where that file is
};

#endif // OUTPUTTARGET_H
