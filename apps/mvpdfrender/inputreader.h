#ifndef INPUTREADER_H
#define INPUTREADER_H

#include "fileidentity.h"

#include <QByteArray>
#include <QString>

// Reads the tool's input files whole, within limits, so that no input can fill the memory:
// regular files (their size checked before reading), standard input and pipes (read up to the
// limit and no further). Devices, directories and sockets are refused before anything is
// read. A signal of SignalBridge ends a read that waits.
class InputReader
{
public:
    enum class Result { Ok, Refused, Cancelled };

    // Each input may hold this many bytes (a year of receipts of a busy till is well below),
    // and all inputs of a run together four times as many.
    static constexpr qint64 kMaxInputBytes = 64 * 1024 * 1024;
    static constexpr qint64 kMaxTotalBytes = 4 * kMaxInputBytes;

    // path: a file, or "-" for standard input. On Refused, error is one line naming the file.
    Result read(const QString &path, QByteArray *data, QString *error);
    // Reads a regular file of at most maxBytes, for files an input refers to (images).
    Result readRegularFile(const QString &path, qint64 maxBytes, QByteArray *data, QString *error);

    // The files read so far, to keep the output from overwriting any of them.
    const FileIdentities &filesRead() const;

    // "standard input" for "-", else path.
    static QString displayName(const QString &path);

private:
    // The most a file may hold: maxBytes, or less when the inputs read so far leave less.
    struct Limit
    {
        qint64 bytes;
        QString description;
    };
    Limit limitFor(qint64 maxBytes) const;
    Result readDescriptor(int fd, const QString &name, const Limit &limit, QByteArray *data,
                          QString *error);
    Result openFile(const QString &path, bool regularOnly, int *fd, QString *error);

    qint64 totalRead = 0;
    FileIdentities files;
};

#endif // INPUTREADER_H
