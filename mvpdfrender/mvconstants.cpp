#include "mvconstants.h"

#include <QGraphicsItem>

QSizeF MvConstants::SCALEDBBSIZE(const QGraphicsItem *item)
{
    const qreal scale = item->scale();
    // A composite item's children count, wherever they stand: the item takes their room too.
    const QRectF bounds = item->boundingRect() | item->childrenBoundingRect();
    return QSizeF(scale * bounds.width(), scale * bounds.height());
}
