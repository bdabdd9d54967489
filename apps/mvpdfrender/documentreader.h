#ifndef DOCUMENTREADER_H
#define DOCUMENTREADER_H

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// One item of a document as the tool's inputs describe it: a text line or an image, with the
// layout hints the document renderer reads.
struct ItemInput
{
    enum class Kind { Text, Image };

    Kind kind = Kind::Text;
    QString text;
    int format = 2;               // key of the composer's text formats, 0 to 5
    QString imagePath;            // absolute
    double scale = 1.0;
    bool spaced = false;          // data key 2
    bool tight = false;           // data key 3
    bool fullHeight = false;      // data key 4
    bool centred = false;         // data key 5
    std::optional<double> heightFactor;   // data key 8
};

struct DocumentInput
{
    QList<ItemInput> items;
    std::optional<int> number;
};

// Reads the documents of the tool's inputs.
namespace DocumentReader {

// A text file: one document of text lines in the printout format.
DocumentInput fromLines(const QStringList &lines);

// A JSON file (see the README): {"documents": [...]} or a bare array of documents. Image
// paths are taken relative to baseDir. On failure returns false and sets error to a one-line
// reason naming `name` and, for malformed JSON, the byte offset.
bool fromJson(const QByteArray &json, const QString &name, const QString &baseDir,
              QList<DocumentInput> *documents, QString *error);

} // namespace DocumentReader

#endif // DOCUMENTREADER_H
