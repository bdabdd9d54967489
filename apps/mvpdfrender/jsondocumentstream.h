#ifndef JSONDOCUMENTSTREAM_H
#define JSONDOCUMENTSTREAM_H

#include <QByteArray>
#include <QJsonValue>
#include <QString>

#include <functional>

// Reads a JSON documents file (an object with "documents", or a bare array of documents) in
// one pass of a streaming parser: every key is checked against the others of its object as it
// comes, and each document is gathered on its own and handed over when it ends, so that the
// file is never held as one tree.
class JsonDocumentStream
{
public:
    // Receives each document (from 0) in file order; false stops the handing over, with the
    // reason kept by the caller.
    using DocumentHandler = std::function<bool(int index, const QJsonValue &document)>;

    enum class Outcome {
        Read,            // every document handed over and taken
        NotStrict,       // a streaming parser cannot read the text (see errorOffset())
        DuplicateKey,    // duplicate() names the first key given twice in one object
        RootRefused,     // rootError() says what is wrong with the top level
        DocumentRefused  // the handler refused a document
    };

    explicit JsonDocumentStream(const DocumentHandler &handler);
    Outcome read(const QByteArray &json);

    // Where the parser stopped, for NotStrict.
    qint64 errorOffset() const;
    // "document 2, item 3: duplicate key \"text\"", for DuplicateKey.
    QString duplicate() const;
    QString rootError() const;

private:
    DocumentHandler handler;
    qint64 offset = 0;
    QString duplicateText;
    QString rootText;
};

#endif // JSONDOCUMENTSTREAM_H
