#ifndef MVTEXTFITTER_H
#define MVTEXTFITTER_H

#include <QString>
#include <QStringList>

#include <memory>

class AsyncReportsHelper;
class MvTextItem;
class QGraphicsItem;
class QTextCharFormat;

// Cuts text too wide for a column into pieces that fit, measured as the page composer's text
// items draw it. A piece ends at a line break, or before the first grapheme that would make it
// wider than the column: never inside a surrogate pair or a combining sequence (a single
// grapheme wider than the column stands alone). Finding a piece lays out only a stretch of
// the text about twice the piece's length, so a text of any length is cut a piece at a time,
// in time linear in its length.
class MvTextFitter
{
public:
    explicit MvTextFitter(AsyncReportsHelper &helper);
    ~MvTextFitter();

    // The item of the piece of text that starts at from, no wider than maxWidth (in the
    // item's own units) in format, made by the composer: as a page item when pageItem is set
    // (see AsyncReportsHelper::createPageTextItem()). *next: where the piece after it starts,
    // past the line break that ended this one if one did; text.size() after the last piece.
    QGraphicsItem *takePiece(const QString &text, int from, const QTextCharFormat &format,
                             double maxWidth, bool pageItem, int *next);
    // The texts of all pieces of text.
    QStringList cut(const QString &text, const QTextCharFormat &format, double maxWidth);

    // Whether text holds a character that starts a new line in a text item.
    static bool hasLineBreak(const QString &text);

private:
    Q_DISABLE_COPY(MvTextFitter)   // owns its measuring item

    QGraphicsItem *makeItem(const QString &text, const QTextCharFormat &format, bool pageItem);
    int firstWindow(const QTextCharFormat &format, double maxWidth) const;
    QGraphicsItem *cutInProbe(const QString &text, int from, const QTextCharFormat &format,
                              double maxWidth, bool pageItem, int *end);
    QGraphicsItem *searchInProbe(const QString &text, int from, const QTextCharFormat &format,
                                 double maxWidth, bool pageItem, int *end);

    AsyncReportsHelper &helper;
    // Holds the stretch of text being measured; never on a page. Made when first needed.
    std::unique_ptr<MvTextItem> probe;
    // The length of the last piece, in UTF-16 code units: the next one is likely as long.
    int lastPieceLength = 0;
};

#endif // MVTEXTFITTER_H
