#ifndef TEXTINPUT_H
#define TEXTINPUT_H

#include <QByteArray>
#include <QString>
#include <QStringList>

// Reading printout lines: UTF-8 text, one line per line, "\n" or "\r\n" line ends.
namespace TextInput {

// Splits UTF-8 bytes into lines. Returns false when a line is not valid UTF-8; error then
// names the first lines at fault (1-based).
bool decodeLines(const QByteArray &data, const QString &name, QStringList *lines, QString *error);

} // namespace TextInput

#endif // TEXTINPUT_H
