#ifndef MVPDFTEXT_H
#define MVPDFTEXT_H

#include <QString>

// Text that goes into a PDF's metadata and outline, made valid for its place: the XMP packet
// is XML, which forbids most control characters, U+FFFE, U+FFFF and lone surrogates (they are
// dropped), and PDF 1.4 (binding for PDF/A-1) limits a string to 65 535 bytes (a longer text is
// cut between graphemes, with an ellipsis).
namespace MvPdfText {

QString forMetadata(const QString &text);

} // namespace MvPdfText

#endif // MVPDFTEXT_H
