#ifndef TEXTINPUT_H
#define TEXTINPUT_H

#include <QByteArray>
#include <QString>
#include <QStringList>

// Reading printout lines: text in UTF-8 (the default) or an encoding the C library's iconv
// converts (cp1250, iso-8859-2, cp852, utf-16 ...), one line per line, "\n" or "\r\n" line
// ends. Without a named encoding a byte-order mark says what the text is (UTF-32, UTF-16 or
// UTF-8); a named encoding is read as named, its own mark dropped. Every character is kept,
// NULs included, however many bytes of UTF-8 the encoding makes of a byte.
namespace TextInput {

// Whether iconv knows encoding (an empty name is UTF-8).
bool knownEncoding(const QString &encoding);

// Splits text into lines. Returns false with error, naming `name`, for what is no text in any
// encoding (an image, a PDF, an archive or a program, said which; or, in an encoding of
// byte-wide code units, bytes of which many are control bytes), and for bytes that are not
// valid in the encoding: for UTF-8 error lists the first lines at fault (from 1) and, where the
// bytes read as Polish in one of the usual older encodings, says which and how to ask for it.
bool decodeLines(const QByteArray &data, const QString &name, const QString &encoding,
                 QStringList *lines, QString *error);

} // namespace TextInput

#endif // TEXTINPUT_H
