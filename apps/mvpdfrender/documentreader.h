#ifndef DOCUMENTREADER_H
#define DOCUMENTREADER_H

#include "mvkeys.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class ImageLoader;

// One item of a document as the tool's inputs describe it: a text line or an image, with the
// layout hints the document renderer reads.
struct ItemInput
{
    enum class Kind { Text, Image };

    Kind kind = Kind::Text;
    QString text;
    int format = MvKeys::PrintoutFormat;   // one of the composer's text formats
    QString imagePath;            // absolute
    QString imageName;            // as the document names it
    double scale = 1.0;
    bool spaced = false;
    bool tight = false;
    bool fullHeight = false;
    bool centred = false;
    std::optional<double> heightFactor;
};

struct DocumentInput
{
    QList<ItemInput> items;
    std::optional<int> number;
    QString title;                // of its outline entry; empty: the default title
    QString name;                 // for messages: "a.txt", "b.json: document 2"
};

// Reads the documents of the tool's inputs.
namespace DocumentReader {

// A text file: one document of text lines in the printout format, named name.
DocumentInput fromLines(const QStringList &lines, const QString &name);

// A JSON file (see the README): {"documents": [...]} or a bare array of documents. Image
// paths are taken relative to baseDir and checked by loading them with images. A key given
// twice in one object is an error. On failure returns false and sets error to a one-line
// reason naming `name` and the document and item, or for malformed JSON the byte offset.
bool fromJson(const QByteArray &json, const QString &name, const QString &baseDir,
              ImageLoader &images, QList<DocumentInput> *documents, QString *error);

// Whether data, read from a file called name, is a documents file (a line report given one by
// mistake): an object whose "documents" is an array, or, in a .json file, an array of
// objects.
bool looksLikeDocuments(const QByteArray &data, const QString &name);

// text as a JSON string, quoted and escaped.
QString jsonString(const QString &text);

// Whether data is an image of a common format whose header gives its size (a documents
// report given one by mistake).
bool looksLikeImage(const QByteArray &data);

} // namespace DocumentReader

#endif // DOCUMENTREADER_H
