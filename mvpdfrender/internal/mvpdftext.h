#ifndef MVPDFTEXT_H
#define MVPDFTEXT_H

#include <QByteArray>
#include <QString>

class QDateTime;

// Text that goes into a PDF's metadata and outline, made valid for its place: the XMP packet
// is XML, which forbids most control characters, U+FFFE, U+FFFF and lone surrogates (they are
// dropped), and PDF 1.4 (binding for PDF/A-1) limits a string to 65 535 bytes (a longer text is
// cut between graphemes, with an ellipsis).
namespace MvPdfText {

QString forMetadata(const QString &text);

// The XMP packet of a PDF/A-1b document: its title (made valid by forMetadata()), creator,
// producer, and the moment as its creation, modification and metadata date, in UTC. Each
// property is an element of its own, the form every reader of XMP parses.
QByteArray xmpPacket(const QString &title, const QString &creator, const QString &producer,
                     const QDateTime &moment);

} // namespace MvPdfText

#endif // MVPDFTEXT_H
