#ifndef MVSTAGE_H
#define MVSTAGE_H

#include "mvworkfile.h"

#include <QByteArray>
#include <QIODevice>

// Where a report is written first when it is written again after its last page (to add its
// outline): in memory up to a bound, beyond it in a file without a name in a folder, which the
// writes reach in blocks (the PDF writer writes in small pieces). Written from its start, then
// read back.
class MvStage : public QIODevice
{
public:
    // memoryBound: the bytes held in memory before the stage moves into a file (0: a file
    // from the start). Opens itself for reading and writing.
    MvStage(const QByteArray &folder, qint64 memoryBound);
    ~MvStage() override;

    bool isSequential() const override;
    qint64 size() const override;
    // Whether a write failed: the folder took no file, the disk filled up.
    bool failed() const;
    // The system's error number of that failure.
    int systemError() const;
    // Whether the stage is in a file; while it is not, memory() holds its bytes.
    bool inFile() const;
    const QByteArray &memory() const;
    // A stream of the C library on the stage's file, at its start, where the system gives one;
    // else null. The caller closes it.
    FILE *duplicateStream() const;
    // From now on writes go nowhere (and succeed): for a document given up, whose end need
    // not be written at all.
    void detach();

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *data, qint64 length) override;

private:
    Q_DISABLE_COPY(MvStage)

    bool moveToFile();
    // Writes the block gathered so far into the file. Called before anything reads the file,
    // so that it is whole.
    bool flushBlock() const;
    bool writeAt(const char *data, qint64 length, qint64 at) const;

    QByteArray folder;
    qint64 memoryBound;
    QByteArray bytes;
    MvWorkFile file;
    qint64 fileSize = 0;
    bool detached = false;
    // The block of writes not in the file yet, and where it goes.
    mutable QByteArray block;
    mutable qint64 blockAt = 0;
    mutable bool writeFailed = false;
    mutable int failedWithError = 0;
};

#endif // MVSTAGE_H
