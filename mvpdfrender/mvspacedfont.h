#ifndef MVSPACEDFONT_H
#define MVSPACEDFONT_H

class QTextCharFormat;

// Letter-spaced text that readers still find as its words. A PDF viewer or text extractor
// takes the gap between spaced letters for a word break ("D o k u m e n t"), since a font's
// letters are drawn with their own advances and the spacing stands between them. A format
// that spaces its letters by a percentage is turned into one that spaces nothing and names a
// copy of its font made once for the spacing, each letter's advance widened by it: the text
// lays out and looks the same, and the PDF's glyphs, whose widths now reach to the next
// letter, read as words in every reader.
namespace MvSpacedFont {

// format with its spacing moved into a font of its own; format itself when it spaces nothing
// or by an absolute length, or when its font cannot be copied.
QTextCharFormat withSpacingInFont(const QTextCharFormat &format);

} // namespace MvSpacedFont

#endif // MVSPACEDFONT_H
