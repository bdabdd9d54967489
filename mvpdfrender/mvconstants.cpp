#include "mvconstants.h"

#include <QGraphicsItem>

QSizeF MvConstants::SCALEDBBSIZE(const QGraphicsItem *item)
{
    const qreal scale = item->scale();
    const QRectF bounds = item->boundingRect();
    return QSizeF(scale * bounds.width(), scale * bounds.height());
}
