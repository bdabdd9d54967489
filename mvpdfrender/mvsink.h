#ifndef MVSINK_H
#define MVSINK_H

#include <QIODevice>

// What the PDF writer writes a report into: every write is passed on to the report's device,
// and a write that fails there is remembered. The PDF writer does not look at the results of
// its writes, so this is where a full disk or a file-size limit becomes visible.
class MvSink : public QIODevice
{
public:
    // Writes into target, which must stay open for as long as the sink is written to. Opens
    // itself for writing.
    explicit MvSink(QIODevice *target);

    bool isSequential() const override;
    bool failed() const;
    // The system's error number of the failed write, where the device is a file; else 0.
    int systemError() const;
    // From now on writes go nowhere (and succeed): for a document given up, whose last words
    // must not reach the device.
    void detach();

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *data, qint64 length) override;

private:
    Q_DISABLE_COPY(MvSink)

    QIODevice *target;
    bool writeFailed = false;
    int failedWithError = 0;
};

#endif // MVSINK_H
