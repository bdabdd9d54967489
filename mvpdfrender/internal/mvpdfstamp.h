#ifndef MVPDFSTAMP_H
#define MVPDFSTAMP_H

#include <QByteArray>
#include <QString>
#include <QVector>

#include <atomic>
#include <functional>

class QDateTime;
class QIODevice;

// Makes a finished PDF of Qt's writer come out the same, byte for byte, whenever and wherever
// it is written: the moments of its document information (CreationDate, ModDate) and of its
// XMP metadata (CreateDate, ModifyDate, MetadataDate) become one given moment, written in UTC
// with "Z" whatever the machine's time zone, and its file identifier, where it has one, is
// derived from the content. The dates are found through the document's structure (its
// cross-reference table, the trailer's Info, the catalogue's Metadata), never by searching its
// text, so that no title can pass for a date, however long it is. A moment written in UTC may
// be shorter than the one Qt wrote: the document is copied with the offsets of its
// cross-reference table moved by the difference.
class MvPdfStamp
{
public:
    // Receives the stamped document, piece by piece; false when it cannot take a piece.
    using Sink = std::function<bool(const char *data, qint64 length)>;

    // Reads document (a finished PDF of Qt's writer, readable at any position) and works out
    // the stamp. False, with reason, when it cannot be read or is not laid out as expected.
    bool plan(QIODevice &document, const QDateTime &moment, QString *reason);
    // Gives the stamped document to sink from its start. False when stop turned true, a read
    // failed (reason says so) or sink refused a piece.
    bool copy(QIODevice &document, const Sink &sink, const std::atomic_bool &stop, QString *reason) const;

    // The stamped document's length and the offset of its cross-reference table.
    qint64 length() const;
    qint64 crossReference() const;
    // Its file identifier: 32 hexadecimal digits, or empty for a document without one.
    QByteArray identifier() const;

private:
    struct Edit
    {
        qint64 at;
        qint64 length;
        QByteArray bytes;
    };

    bool planTable(QIODevice &document, QString *reason);
    bool planDates(QIODevice &document, const QDateTime &moment, QString *reason);
    bool planInfoDates(QIODevice &document, const QString &trailer, const QByteArray &infoDate, QString *reason);
    bool planXmpDates(QIODevice &document, const QString &trailer, const QByteArray &xmpDate, QString *reason);
    bool planIdentifier(QIODevice &document, QString *reason);
    bool readObject(QIODevice &document, int number, qint64 *at, QByteArray *text) const;
    qint64 shifted(qint64 offset) const;
    bool copyEdited(QIODevice &document, const Sink &sink, const std::atomic_bool &stop,
                    QString *reason) const;

    QVector<Edit> edits;          // in the objects before the table, by position
    qint64 tableStart = 0;        // in the document as Qt wrote it
    QByteArray table;             // its table, trailer and end, as they become
    QVector<int> entryOffsets;    // where the offsets of its objects stand in table
    QVector<qint64> objectOffsets; // by object number; -1 for none
    int identifierAt = -1;        // where the identifier's first digits stand in table
    int identifierEnd = -1;       // ... and where its second string ends
    QByteArray id;
};

#endif // MVPDFSTAMP_H
