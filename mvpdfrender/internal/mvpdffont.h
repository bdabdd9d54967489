#ifndef MVPDFFONT_H
#define MVPDFFONT_H

#include <QString>

class QTextCharFormat;

// Copies of the fonts of the library's text items, made once per process, so that every PDF
// reader finds the words the items show:
// - Qt's writer tells readers which character each glyph stands for by the first character
//   the font gives that glyph, and Qt gives a tab the space's glyph when the font has no tab
//   of its own: every space then reads as a tab to readers that take the table literally
//   ("Paragon\t1"). The copy gives the tab an empty glyph of its own.
// - A viewer or text extractor takes the gap between letter-spaced letters for a word break
//   ("D o k u m e n t"), since the letters keep their own advances and the spacing stands
//   between them. A format that spaces its letters by a percentage names a copy whose
//   letters' advances are widened by it, and spaces nothing itself: the text lays out and
//   looks the same, and its glyphs, which now reach to the next letter, read as words.
namespace MvPdfFont {

// format naming the copy of its font that it needs for text; format itself when it needs
// none or its font cannot be copied. A spaced text with letters its font lacks, which fallback
// fonts draw, keeps its spacing between the letters, where it spaces those too.
QTextCharFormat forPdf(const QTextCharFormat &format, const QString &text = QString());

} // namespace MvPdfFont

#endif // MVPDFFONT_H
