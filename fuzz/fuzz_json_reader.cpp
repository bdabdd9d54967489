// The command-line tool's reader of JSON document files on fuzzer-chosen bytes.
#include "documentreader.h"
#include "imageloader.h"
#include "inputreader.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // Image checks load Qt's image plugins, which need the application object.
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    const QByteArray json(reinterpret_cast<const char *>(bytes), int(size));
    QList<DocumentInput> documents;
    QString error;
    InputReader reader;
    ImageLoader images(reader);
    const bool ok = DocumentReader::fromJson(json, QStringLiteral("fuzz.json"), QDir::tempPath(),
                                             images, &documents, &error);
    // Exactly one of a result and a reason.
    if (ok == !error.isEmpty())
        std::abort();
    if (!ok)
        return 0;
    // Read in one streaming pass, the documents are those Qt's parser sees in the text: as
    // many, each with as many items.
    const QJsonDocument tree = QJsonDocument::fromJson(json);
    const QJsonArray list = tree.isArray() ? tree.array() : tree.object().value(QLatin1String("documents")).toArray();
    if (tree.isNull() || list.size() != documents.size())
        std::abort();
    for (int i = 0; i < list.size(); ++i) {
        if (list.at(i).toObject().value(QLatin1String("items")).toArray().size() != documents.at(i).items.size())
            std::abort();
    }
    for (const DocumentInput &document : documents) {
        for (const ItemInput &item : document.items) {
            if (item.format < MvKeys::TitleFormat || item.format > MvKeys::DocumentLabelFormat || !(item.scale > 0))
                std::abort();
        }
    }
    return 0;
}
