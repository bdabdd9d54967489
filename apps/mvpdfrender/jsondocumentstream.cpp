#include "jsondocumentstream.h"

#include "tool.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QStringList>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace {

using Json = nlohmann::json;

const char kDocumentsKey[] = "documents";
// As deep as Qt's parser reads: text nested deeper is malformed in its words, and a value
// built that deep would be taken apart by as many nested calls.
constexpr size_t kMaxDepth = 1024;

// The parser's events turned into documents. For every open object and array it keeps the
// keys seen and the position reached, so that a repeated key can be placed in its document and
// item; inside a document it also builds the value, which is handed over when the document
// ends.
class DocumentEvents : public nlohmann::json_sax<Json>
{
public:
    explicit DocumentEvents(const JsonDocumentStream::DocumentHandler &handler) : handler(handler) {}

    bool null() override { return add(QJsonValue(QJsonValue::Null)); }
    bool boolean(bool value) override { return add(QJsonValue(value)); }
    bool number_integer(number_integer_t value) override { return add(QJsonValue(double(value))); }
    bool number_unsigned(number_unsigned_t value) override { return add(QJsonValue(double(value))); }
    bool number_float(number_float_t value, const string_t &) override { return add(QJsonValue(value)); }
    bool string(string_t &value) override { return add(QJsonValue(QString::fromStdString(value))); }
    bool binary(binary_t &) override { return add(QJsonValue()); }
    bool start_object(std::size_t) override { return open(true); }
    bool end_object() override { return close(); }
    bool start_array(std::size_t) override { return open(false); }
    bool end_array() override { return close(); }
    bool key(string_t &name) override;
    bool parse_error(std::size_t position, const std::string &, const nlohmann::detail::exception &) override
    {
        errorPosition = qint64(position);
        outcome = JsonDocumentStream::Outcome::NotStrict;
        return false;
    }

    JsonDocumentStream::Outcome outcome = JsonDocumentStream::Outcome::Read;
    qint64 errorPosition = 0;
    QString duplicate;
    QString rootError;

private:
    struct Level
    {
        bool object = false;
        bool documents = false;   // the array of the documents
        bool building = false;    // inside a document: its value is built
        std::set<std::string> keys;
        std::string key;          // objects: the key whose value comes next
        int index = -1;           // arrays: the element being read
        QJsonObject builtObject;
        QJsonArray builtArray;
    };

    bool open(bool object);
    bool close();
    // counted: an object or array, counted as an element when it opened.
    bool add(const QJsonValue &value, bool counted = false);
    void endRoot(const Level &root);
    QString where() const;
    bool isArrayAt(size_t depth) const { return levels.size() > depth && !levels[depth].object; }
    bool isObjectWithKey(size_t depth, const char *name) const
    {
        return levels.size() > depth && levels[depth].object && levels[depth].key == name;
    }

    const JsonDocumentStream::DocumentHandler &handler;
    std::vector<Level> levels;
    QStringList rootKeys;
    bool documentsArray = false;   // the root's "documents" is an array
};

bool DocumentEvents::key(string_t &name)
{
    Level &level = levels.back();
    if (!level.keys.insert(name).second) {
        duplicate = where() + Tool::tr("duplicate key \"%1\"").arg(QString::fromStdString(name));
        outcome = JsonDocumentStream::Outcome::DuplicateKey;
        return false;
    }
    level.key = name;
    if (levels.size() == 1)
        rootKeys.append(QString::fromStdString(name));
    return true;
}

bool DocumentEvents::open(bool object)
{
    if (levels.size() >= kMaxDepth) {
        outcome = JsonDocumentStream::Outcome::NotStrict;
        return false;
    }
    Level level;
    level.object = object;
    if (!levels.empty()) {
        Level &parent = levels.back();
        if (!parent.object)
            ++parent.index;
        level.building = parent.building || parent.documents;
        // The documents: a bare array, or the array under "documents".
        level.documents = !object && levels.size() == 1 && parent.object && parent.key == kDocumentsKey;
    } else {
        level.documents = !object;
    }
    levels.push_back(std::move(level));
    return true;
}

bool DocumentEvents::close()
{
    Level level = std::move(levels.back());
    levels.pop_back();
    if (levels.empty()) {
        endRoot(level);
        return true;
    }
    if (level.documents)
        documentsArray = true;
    if (!level.building)
        return true;
    return add(level.object ? QJsonValue(level.builtObject) : QJsonValue(level.builtArray), true);
}

// A complete value: part of the document being built, a document, or nothing to keep.
bool DocumentEvents::add(const QJsonValue &value, bool counted)
{
    if (levels.empty()) {
        rootError = Tool::tr("expected an object or an array of documents");
        return true;
    }
    Level &parent = levels.back();
    if (!parent.object && !counted)
        ++parent.index;
    if (parent.building) {
        if (parent.object)
            parent.builtObject.insert(QString::fromStdString(parent.key), value);
        else
            parent.builtArray.append(value);
        return true;
    }
    // Documents after one that was refused are not read; the text still is, for its keys.
    if (parent.documents && outcome == JsonDocumentStream::Outcome::Read && !handler(parent.index, value))
        outcome = JsonDocumentStream::Outcome::DocumentRefused;
    return true;
}

// The top level's own faults, found once all its keys are known: the first unknown key in
// their order, then a "documents" that is no array.
void DocumentEvents::endRoot(const Level &root)
{
    if (!root.object)
        return;
    QStringList keys = rootKeys;
    std::sort(keys.begin(), keys.end());
    for (const QString &key : qAsConst(keys)) {
        if (key != QLatin1String(kDocumentsKey)) {
            rootError = Tool::tr("unknown key \"%1\" (expected \"documents\")").arg(key);
            return;
        }
    }
    if (!documentsArray)
        rootError = Tool::tr("\"documents\" must be an array");
}

// "document D, item I: " as far as the open levels reach; empty at the top.
QString DocumentEvents::where() const
{
    size_t documents = 0;
    if (!isArrayAt(0)) {
        if (!isObjectWithKey(0, kDocumentsKey) || !isArrayAt(1))
            return QString();
        documents = 1;
    }
    const size_t document = documents + 1;
    if (levels.size() <= document)
        return QString();
    QString text = Tool::tr("document %1").arg(levels[documents].index + 1);
    if (isObjectWithKey(document, "items") && isArrayAt(document + 1) && levels.size() > document + 2)
        text += Tool::tr(", item %1").arg(levels[document + 1].index + 1);
    return text + QStringLiteral(": ");
}

} // namespace

JsonDocumentStream::JsonDocumentStream(const DocumentHandler &handler) : handler(handler)
{
}

JsonDocumentStream::Outcome JsonDocumentStream::read(const QByteArray &json)
{
    // The parser takes a NUL for the end of its input, where JSON has no NUL outside escapes:
    // text with one is left to Qt's parser to name what is wrong.
    const int nul = json.indexOf('\0');
    if (nul >= 0) {
        offset = nul;
        return Outcome::NotStrict;
    }
    DocumentEvents events(handler);
    Json::sax_parse(json.constData(), json.constData() + json.size(), &events);
    offset = events.errorPosition;
    duplicateText = events.duplicate;
    rootText = events.rootError;
    // A fault at the top outweighs one in a document, which it may have caused.
    if (events.outcome != Outcome::NotStrict && events.outcome != Outcome::DuplicateKey && !rootText.isEmpty())
        return Outcome::RootRefused;
    return events.outcome;
}

qint64 JsonDocumentStream::errorOffset() const
{
    return offset;
}

QString JsonDocumentStream::duplicate() const
{
    return duplicateText;
}

QString JsonDocumentStream::rootError() const
{
    return rootText;
}
