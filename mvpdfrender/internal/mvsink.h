#ifndef MVSINK_H
#define MVSINK_H

#include <QIODevice>

class MvDelivery;

// What the PDF writer writes a report into: every write is passed on to the report's device,
// and a write that fails there is remembered. The PDF writer does not look at the results of
// its writes, so this is where a full disk or a file-size limit becomes visible. The sink may
// hold back the last bytes written to it, for a device that gets them only once it has passed
// on everything before them.
class MvSink : public QIODevice
{
public:
    // Writes into target, which must stay open for as long as the sink is written to, all but
    // the last holdBack bytes written to the sink, and counts what target accepts in delivery
    // (when not null). Opens itself for writing.
    explicit MvSink(QIODevice *target, MvDelivery *delivery = nullptr, qint64 holdBack = 0);

    bool isSequential() const override;
    bool failed() const;
    // The system's error number of the failed write, where the device is a file; else 0.
    int systemError() const;
    // From now on writes go nowhere (and succeed): for a document given up, whose last words
    // must not reach the device.
    void detach();
    // The bytes held back, now the sink's own.
    QByteArray takeHeld();

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *data, qint64 length) override;

private:
    Q_DISABLE_COPY(MvSink)

    bool give(const char *data, qint64 length);

    QIODevice *target;
    MvDelivery *delivery;
    qint64 holdBack;
    QByteArray held;
    bool writeFailed = false;
    int failedWithError = 0;
};

#endif // MVSINK_H
