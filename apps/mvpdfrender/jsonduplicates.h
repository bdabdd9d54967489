#ifndef JSONDUPLICATES_H
#define JSONDUPLICATES_H

#include <QByteArray>
#include <QString>

// Finds the first object in a JSON text of the tool's document format that holds a key twice,
// which Qt's parser lets pass (the last one wins). Returns where and which, as
// "document 2, item 3: duplicate key \"text\"", or an empty text when no key repeats. Call it
// on text that Qt's parser has accepted; text that is not strict JSON (which Qt's parser
// accepts too) is reported as malformed, so that no key goes unchecked.
namespace JsonDuplicates {

QString find(const QByteArray &json);

} // namespace JsonDuplicates

#endif // JSONDUPLICATES_H
