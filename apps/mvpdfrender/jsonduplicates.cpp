#include "jsonduplicates.h"

#include "tool.h"

#include <nlohmann/json.hpp>

#include <set>
#include <string>
#include <vector>

namespace {

using Json = nlohmann::json;

// Walks the parser's events and keeps, for every open object and array, the keys seen and
// the position reached, so that a repeated key can be placed in its document and item.
class DuplicateKeyFinder : public nlohmann::json_sax<Json>
{
public:
    QString found;

    bool null() override { return value(); }
    bool boolean(bool) override { return value(); }
    bool number_integer(number_integer_t) override { return value(); }
    bool number_unsigned(number_unsigned_t) override { return value(); }
    bool number_float(number_float_t, const string_t &) override { return value(); }
    bool string(string_t &) override { return value(); }
    bool binary(binary_t &) override { return value(); }
    bool start_object(std::size_t) override { return open(true); }
    bool end_object() override { return close(); }
    bool start_array(std::size_t) override { return open(false); }
    bool end_array() override { return close(); }

    bool key(string_t &name) override
    {
        Level &level = levels.back();
        if (!level.keys.insert(name).second) {
            found = where() + Tool::tr("duplicate key \"%1\"").arg(QString::fromStdString(name));
            return false;
        }
        level.key = name;
        return true;
    }

    bool parse_error(std::size_t position, const std::string &, const nlohmann::detail::exception &) override
    {
        // Text Qt's parser lets pass but this one cannot read (a lone surrogate escape, a raw
        // control character in a string): refused, since its keys cannot be checked.
        found = Tool::tr("malformed JSON at offset %1: not strict JSON (a raw control "
                               "character or a lone surrogate in a string)").arg(position);
        return false;
    }

private:
    struct Level
    {
        bool object = false;
        std::set<std::string> keys;
        std::string key;      // objects: the key whose value comes next
        int index = -1;       // arrays: the element being read
    };

    bool value()
    {
        if (!levels.empty() && !levels.back().object)
            ++levels.back().index;
        return true;
    }

    bool open(bool object)
    {
        value();
        levels.push_back(Level());
        levels.back().object = object;
        return true;
    }

    bool close()
    {
        levels.pop_back();
        return true;
    }

    bool isArrayAt(size_t depth) const { return levels.size() > depth && !levels[depth].object; }

    bool isObjectWithKey(size_t depth, const char *name) const
    {
        return levels.size() > depth && levels[depth].object && levels[depth].key == name;
    }

    // "document D, item I: " as far as the open levels reach; empty at the top.
    QString where() const
    {
        // The documents: a bare array, or the array under "documents".
        size_t documents = 0;
        if (!isArrayAt(0)) {
            if (!isObjectWithKey(0, "documents") || !isArrayAt(1))
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

    std::vector<Level> levels;
};

} // namespace

namespace JsonDuplicates {

QString find(const QByteArray &json)
{
    DuplicateKeyFinder finder;
    Json::sax_parse(json.constData(), json.constData() + json.size(), &finder,
                    nlohmann::detail::input_format_t::json, false);
    return finder.found;
}

} // namespace JsonDuplicates
