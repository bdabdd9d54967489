#ifndef UTF8LINES_H
#define UTF8LINES_H

#include <QList>
#include <QStringList>

// Splits UTF-8 text into lines and checks it, in one pass over its bytes: lines end at "\n",
// a "\r" before it dropped, and no line follows a last "\n". Valid UTF-8 has no overlong
// forms, no surrogates and nothing beyond U+10FFFF. Every character is kept, NULs and a
// U+FEFF inside the text included.
namespace Utf8Lines {

struct Split
{
    QStringList lines;        // every line, when all are valid
    QList<int> invalidLines;  // else the first invalid lines (from 1), at most the number asked
    int invalidCount = 0;     // and how many there are
};

// The lines of size bytes at bytes; listed: how many invalid lines to name.
Split split(const char *bytes, qsizetype size, int listed);

} // namespace Utf8Lines

#endif // UTF8LINES_H
