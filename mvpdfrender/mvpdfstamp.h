#ifndef MVPDFSTAMP_H
#define MVPDFSTAMP_H

#include <QString>

class QDateTime;
class QIODevice;

// Makes a finished PDF of Qt's writer come out the same, byte for byte, whenever it is
// written: the moments in its document information (CreationDate, ModDate) and in its XMP
// metadata (CreateDate, ModifyDate, MetadataDate) become one given moment, and its file
// identifier, where it has one, is derived from its content. Every change keeps the length of
// what it replaces (a moment is written in UTC in the form it had), so the file's
// cross-reference offsets stay right. Works in place on a document that can be read and
// written at any position, such as the library's stage.
namespace MvPdfStamp {

// False, with reason, when the document cannot be read or written.
bool apply(QIODevice &document, const QDateTime &moment, QString *reason);

} // namespace MvPdfStamp

#endif // MVPDFSTAMP_H
