#include "mvtextitem.h"

#include "mvtextlayout.h"

#include <QAbstractTextDocumentLayout>
#include <QStyle>
#include <QStyleOptionGraphicsItem>
#include <QTextDocument>

MvTextItem::MvTextItem()
{
    MvTextLayout::prepare(document());
}

void MvTextItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget)
{
    const bool plain = textInteractionFlags() == Qt::NoTextInteraction
            && !(option && (option->state & (QStyle::State_Selected | QStyle::State_HasFocus)));
    if (!plain) {
        QGraphicsTextItem::paint(painter, option, widget);
        return;
    }
    // The same drawing as the generic paint: default palette, no selection, no cursor; the
    // clip it sets is the item's own bounds, which its text never leaves.
    document()->documentLayout()->draw(painter, QAbstractTextDocumentLayout::PaintContext());
}

