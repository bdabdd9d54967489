#ifndef MVINFOFILTER_H
#define MVINFOFILTER_H

#include <QByteArray>
#include <QIODevice>

class QDateTime;

// Passes what Qt's PDF writer writes on to a target, completing the document information on
// its way: the writer records no modification date, and its creation date is the moment it
// began, from its own clock, in local time. The writer is given a creator longer than the
// real one (paddedCreator()); once the information object has passed, the filter writes in
// its place, within the same bytes, the real creator, the writer's producer and the moment
// given, as CreationDate and ModDate, in UTC. Nothing moves, so every offset the writer
// counts stays right. An information object not of that form passes as it is.
class MvInfoFilter : public QIODevice
{
public:
    // Opens itself for writing; target must stay open while the filter is written to.
    MvInfoFilter(QIODevice *target, const QString &creator, const QDateTime &moment);

    // The creator to give the writer, with room for the entries the filter adds.
    static QString paddedCreator(const QString &creator);
    // The moment as a PDF date in UTC: "D:YYYYMMDDHHmmSSZ".
    static QByteArray pdfDate(const QDateTime &moment);

    bool isSequential() const override;
    // Passes on what is still held, when the writer stopped before its information object
    // was complete; false when the target refused it.
    bool release();

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *data, qint64 length) override;

private:
    Q_DISABLE_COPY(MvInfoFilter)

    // The head held so far, completed when its information object is; false while it is not.
    bool complete();

    QIODevice *target;
    QByteArray creatorLiteral;
    QByteArray date;
    QByteArray head;
    bool passing = false;
};

#endif // MVINFOFILTER_H
