#include "documentreader.h"

#include "imageloader.h"
#include "jsondocumentstream.h"
#include "mvkeys.h"
#include "tool.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr int kFirstFormat = MvKeys::TitleFormat;
constexpr int kLastFormat = MvKeys::DocumentLabelFormat;
// Scales beyond these would make an image vanish or cover thousands of pages.
constexpr double kMinScale = 1e-3;
constexpr double kMaxScale = 1e3;
constexpr double kMaxHeightFactor = 1e3;

// Reads the documents of one JSON input one by one, stopping at the first fault.
class JsonDocuments
{
public:
    JsonDocuments(const QString &name, const QString &baseDir, ImageLoader &images)
        : name(name), baseDir(baseDir), images(images)
    {
    }

    // The document at index (from 0) of the input's documents.
    bool readDocument(int index, const QJsonValue &value, DocumentInput *document);
    QString error;

private:
    bool readDocument(const QJsonValue &value, DocumentInput *document);
    bool readItem(const QJsonValue &value, ItemInput *item);
    bool readFlag(const QJsonObject &object, const QString &key, bool *flag);
    bool fail(const QString &reason);

    QString name;
    QString baseDir;
    ImageLoader &images;
    QString where;   // "document 2"
    int itemNumber = 0;   // the item being read, from 1; 0 for none
};

bool JsonDocuments::fail(const QString &reason)
{
    const QString place = itemNumber > 0 ? Tool::tr("%1, item %2").arg(where).arg(itemNumber) : where;
    error = place.isEmpty() ? QStringLiteral("%1: %2").arg(name, reason)
                            : QStringLiteral("%1: %2: %3").arg(name, place, reason);
    return false;
}

bool JsonDocuments::readDocument(int index, const QJsonValue &value, DocumentInput *document)
{
    where = Tool::tr("document %1").arg(index + 1);
    document->name = QStringLiteral("%1: %2").arg(name, where);
    return readDocument(value, document);
}

bool JsonDocuments::readDocument(const QJsonValue &value, DocumentInput *document)
{
    if (!value.isObject())
        return fail(Tool::tr("a document must be an object"));
    const QJsonObject object = value.toObject();
    for (const QString &key : object.keys()) {
        if (key != QLatin1String("items") && key != QLatin1String("number")
            && key != QLatin1String("title"))
            return fail(Tool::tr("unknown key \"%1\"").arg(key));
    }
    if (object.contains(QLatin1String("number"))) {
        const QJsonValue number = object.value(QLatin1String("number"));
        const double n = number.toDouble();
        if (!number.isDouble() || n != std::floor(n) || n < 1.0 || n > double(std::numeric_limits<int>::max()))
            return fail(Tool::tr("\"number\" must be a whole number from 1 to %1").arg(std::numeric_limits<int>::max()));
        document->number = int(n);
    }
    if (object.contains(QLatin1String("title"))) {
        const QJsonValue title = object.value(QLatin1String("title"));
        if (!title.isString())
            return fail(Tool::tr("\"title\" must be a string"));
        document->title = title.toString();
    }
    const QJsonValue items = object.value(QLatin1String("items"));
    if (!items.isUndefined() && !items.isArray())
        return fail(Tool::tr("\"items\" must be an array"));

    const QJsonArray array = items.toArray();
    for (int i = 0; i < array.size(); ++i) {
        itemNumber = i + 1;
        ItemInput item;
        if (!readItem(array.at(i), &item))
            return false;
        document->items.append(item);
    }
    itemNumber = 0;
    return true;
}

bool JsonDocuments::readFlag(const QJsonObject &object, const QString &key, bool *flag)
{
    const QJsonValue value = object.value(key);
    if (value.isUndefined())
        return true;
    if (!value.isBool())
        return fail(Tool::tr("\"%1\" must be true or false").arg(key));
    *flag = value.toBool();
    return true;
}

bool JsonDocuments::readItem(const QJsonValue &value, ItemInput *item)
{
    if (value.isString()) {   // shorthand for a text line
        item->text = value.toString();
        return true;
    }
    if (!value.isObject())
        return fail(Tool::tr("an item must be a string or an object"));
    const QJsonObject object = value.toObject();
    static const QSet<QString> known{
        QStringLiteral("text"), QStringLiteral("format"), QStringLiteral("image"),
        QStringLiteral("scale"), QStringLiteral("spaced"), QStringLiteral("tight"),
        QStringLiteral("fullHeight"), QStringLiteral("centred"), QStringLiteral("heightFactor")};
    for (const QString &key : object.keys()) {
        if (!known.contains(key))
            return fail(Tool::tr("unknown key \"%1\"").arg(key));
    }
    const bool hasText = object.contains(QLatin1String("text"));
    const bool hasImage = object.contains(QLatin1String("image"));
    if (hasText == hasImage)
        return fail(Tool::tr("an item needs exactly one of \"text\" and \"image\""));

    if (hasText) {
        if (!object.value(QLatin1String("text")).isString())
            return fail(Tool::tr("\"text\" must be a string"));
        item->text = object.value(QLatin1String("text")).toString();
        if (object.contains(QLatin1String("scale")))
            return fail(Tool::tr("\"scale\" belongs to images"));
        if (object.contains(QLatin1String("format"))) {
            const QJsonValue format = object.value(QLatin1String("format"));
            const double f = format.toDouble(-1);
            if (!format.isDouble() || f != std::floor(f) || f < kFirstFormat || f > kLastFormat)
                return fail(Tool::tr("\"format\" must be a whole number from %1 to %2").arg(kFirstFormat).arg(kLastFormat));
            item->format = int(f);
        }
    } else {
        item->kind = ItemInput::Kind::Image;
        if (!object.value(QLatin1String("image")).isString())
            return fail(Tool::tr("\"image\" must be a path"));
        if (object.contains(QLatin1String("format")))
            return fail(Tool::tr("\"format\" belongs to text lines"));
        const QString path = object.value(QLatin1String("image")).toString();
        if (path.isEmpty() || path.contains(QChar(0)))
            return fail(Tool::tr("\"image\" must be a path"));
        item->imagePath = QDir(baseDir).absoluteFilePath(path);
        item->imageName = path;
        QImage image;
        QString reason;
        if (!images.load(item->imagePath, path, &image, &reason))
            return fail(reason);
        if (object.contains(QLatin1String("scale"))) {
            const QJsonValue scale = object.value(QLatin1String("scale"));
            if (!scale.isDouble() || !(scale.toDouble() >= kMinScale && scale.toDouble() <= kMaxScale))
                return fail(Tool::tr("\"scale\" must be a number from %1 to %2")
                            .arg(kMinScale).arg(kMaxScale));
            item->scale = scale.toDouble();
        }
    }
    if (object.contains(QLatin1String("heightFactor"))) {
        const QJsonValue factor = object.value(QLatin1String("heightFactor"));
        if (!factor.isDouble() || !(factor.toDouble() >= 0 && factor.toDouble() <= kMaxHeightFactor))
            return fail(Tool::tr("\"heightFactor\" must be a number from 0 to %1")
                        .arg(kMaxHeightFactor));
        item->heightFactor = factor.toDouble();
    }
    return readFlag(object, QStringLiteral("spaced"), &item->spaced)
            && readFlag(object, QStringLiteral("tight"), &item->tight)
            && readFlag(object, QStringLiteral("fullHeight"), &item->fullHeight)
            && readFlag(object, QStringLiteral("centred"), &item->centred);
}

} // namespace

namespace DocumentReader {

DocumentInput fromLines(const QStringList &lines, const QString &name)
{
    DocumentInput document;
    document.name = name;
    // Its outline entry is titled with the file's name.
    if (name != QLatin1String("-"))
        document.title = QFileInfo(name).fileName();
    for (const QString &line : lines) {
        ItemInput item;
        item.text = line;
        document.items.append(item);
    }
    return document;
}

bool looksLikeDocuments(const QByteArray &data, const QString &name)
{
    const QJsonDocument document = QJsonDocument::fromJson(data);
    if (document.isObject())
        return document.object().value(QLatin1String("documents")).isArray();
    if (!document.isArray() || document.array().isEmpty() || !name.endsWith(QLatin1String(".json"), Qt::CaseInsensitive))
        return false;
    const QJsonArray array = document.array();
    return std::all_of(array.begin(), array.end(), [](const QJsonValue &value) { return value.isObject(); });
}

QString jsonString(const QString &text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

bool looksLikeImage(const QByteArray &data)
{
    static const QList<QByteArray> common{"png", "jpeg", "gif", "bmp", "webp", "tiff"};
    QByteArray copy = data;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    // Its format's signature and a header that gives a size: text that merely begins with
    // "BM" or "GIF89a" is no image.
    QImageReader reader(&buffer);
    return common.contains(reader.format()) && reader.size().isValid();
}

bool fromJson(const QByteArray &json, const QString &name, const QString &baseDir,
              ImageLoader &images, QList<DocumentInput> *documents, QString *error)
{
    JsonDocuments reader(name, baseDir, images);
    QList<DocumentInput> read;
    JsonDocumentStream stream([&reader, &read](int index, const QJsonValue &value) {
        DocumentInput document;
        if (!reader.readDocument(index, value, &document))
            return false;
        read.append(document);
        return true;
    });
    const JsonDocumentStream::Outcome outcome = stream.read(json);
    if (outcome == JsonDocumentStream::Outcome::Read) {
        documents->append(read);
        return true;
    }
    // Text that is no JSON at all is said to be malformed, in Qt's words, whatever else is
    // wrong with it.
    QJsonParseError parseError;
    QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        *error = Tool::tr("%1: malformed JSON at offset %2: %3")
                .arg(name).arg(parseError.offset).arg(parseError.errorString());
        return false;
    }
    switch (outcome) {
    case JsonDocumentStream::Outcome::NotStrict:
        // Text Qt's parser lets pass but the streaming one cannot read (a lone surrogate
        // escape, a raw control character in a string): refused, since its keys cannot be
        // checked.
        *error = QStringLiteral("%1: %2").arg(name, Tool::tr("malformed JSON at offset %1: not strict JSON (a raw control "
                                                               "character or a lone surrogate in a string)")
                                                              .arg(stream.errorOffset()));
        return false;
    case JsonDocumentStream::Outcome::DuplicateKey:
        *error = QStringLiteral("%1: %2").arg(name, stream.duplicate());
        return false;
    case JsonDocumentStream::Outcome::RootRefused:
        *error = QStringLiteral("%1: %2").arg(name, stream.rootError());
        return false;
    case JsonDocumentStream::Outcome::Read:
    case JsonDocumentStream::Outcome::DocumentRefused:
        break;
    }
    *error = reader.error;
    return false;
}

} // namespace DocumentReader
