#ifndef MVTEXTITEM_H
#define MVTEXTITEM_H

#include "mvkeys.h"

#include <QGraphicsTextItem>
#include <QTextBlockFormat>
#include <QTextCharFormat>

// The text items of the page composer: plain QGraphicsTextItems that paint their laid-out
// document directly, without the painter save, clip and restore that the generic item wraps
// around every paint. Report pages hold thousands of them, and each saved state and clip
// becomes operations in the PDF page. Selected, focused or editable items paint as usual; page
// lines draw their blocks' laid-out lines directly, all of a page's under one transform.
// Their documents are laid out for the library's own text layout device.
class MvTextItem : public QGraphicsTextItem
{
public:
    MvTextItem();

    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

    // Whether paint() draws the text in scene coordinates under the view of the page being
    // painted (see MvPagePainter::PageViewScope), leaving that view set: a page line placed
    // without scaling, which nothing but the composer paints otherwise.
    bool paintsInSceneCoordinates() const;

    // Makes the document hold text in format, in one edit, its lines set at the composer's
    // line height; whatever it held before is replaced.
    void fill(const QString &text, const QTextCharFormat &format);

    // The layout hints a document's item may carry (QGraphicsItem::setData()): a piece of a
    // text carries its text's over, and a reused item starts without any.
    static constexpr MvKeys::ItemData LayoutHints[] = {MvKeys::SpacedKey, MvKeys::TightKey,
                                                       MvKeys::FullHeightKey, MvKeys::CentredKey,
                                                       MvKeys::HeightFactorKey};

    // Set on items that only the page composer and the renderers ever see; the composer
    // reuses them for a later page instead of deleting them.
    bool recyclable = false;
    // What the document was built from, so that a reused item holding the same line in the
    // same format needs no rebuilding, and a text too wide for a column can be cut into
    // pieces of the same text.
    QString text;
    QTextCharFormat format;
    // For a text being cut into pieces (see MvTextFitter): where the part of `text` that is
    // not yet in a piece begins, in UTF-16 code units.
    int cutFrom = 0;
    // The block format the last fill that set formats gave the document (its line height).
    QTextBlockFormat lineFormat;
    // Where the text item pool keeps it while it waits for reuse; -1 when it is not kept.
    int poolIndex = -1;
};

#endif // MVTEXTITEM_H
