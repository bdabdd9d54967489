#ifndef MVTEXTITEM_H
#define MVTEXTITEM_H

#include <QGraphicsTextItem>
#include <QTextCharFormat>

// The text items of the page composer: plain QGraphicsTextItems that paint their laid-out
// document directly, without the painter save, clip and restore that the generic item wraps
// around every paint. Report pages hold thousands of them, and each saved state and clip
// becomes operations in the PDF page. Selected, focused or editable items paint as usual.
// Their documents are laid out for the library's own text layout device.
class MvTextItem : public QGraphicsTextItem
{
public:
    MvTextItem();

    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

    // Set on items that only the page composer and the renderers ever see; the composer
    // reuses them for a later page instead of deleting them.
    bool recyclable = false;
    // What the document was built from, so that a reused item holding the same line in the
    // same format needs no rebuilding.
    QString text;
    QTextCharFormat format;
};

#endif // MVTEXTITEM_H
