#include "qgraphicsimageitem.h"

#include <QPainter>

namespace {
// Room for a one-unit selection outline around a selectable item.
constexpr qreal kSelectionMargin = 0.5;
}

// The item's image, where it stands and how it is scaled, and its shape, rebuilt on demand
// by the const shape().
struct Q_DECL_HIDDEN QGraphicsImageItem::Private
{
    QImage image;
    Qt::TransformationMode mode = Qt::FastTransformation;
    QPointF offset;
    QPainterPath shape;
    bool shapeValid = false;

    void updateShape()
    {
        shape = QPainterPath();
        shape.addRect(offset.x(), offset.y(), image.width(), image.height());
        shapeValid = true;
    }
};

QGraphicsImageItem::QGraphicsImageItem(QGraphicsItem *parent)
    : QGraphicsItem(parent), d(new Private)
{
}

QGraphicsImageItem::QGraphicsImageItem(const QImage &image, QGraphicsItem *parent)
    : QGraphicsImageItem(parent)
{
    setImage(image);
}

QGraphicsImageItem::~QGraphicsImageItem() = default;

QImage QGraphicsImageItem::image() const
{
    return d->image;
}

void QGraphicsImageItem::setImage(const QImage &image)
{
    prepareGeometryChange();
    d->image = image;
    d->shapeValid = false;
    update(QRectF());
}

QPointF QGraphicsImageItem::offset() const
{
    return d->offset;
}

void QGraphicsImageItem::setOffset(const QPointF &offset)
{
    // QPointF's fuzzy equality: a difference at the 1e-12 level is no change.
    if (offset == d->offset)
        return;
    prepareGeometryChange();
    d->offset = offset;
    d->shapeValid = false;
    update(QRectF());
}

void QGraphicsImageItem::setOffset(double x, double y)
{
    setOffset(QPointF(x, y));
}

Qt::TransformationMode QGraphicsImageItem::transformationMode() const
{
    return d->mode;
}

void QGraphicsImageItem::setTransformationMode(Qt::TransformationMode mode)
{
    if (mode == d->mode)
        return;
    d->mode = mode;
    update(QRectF());
}

QRectF QGraphicsImageItem::boundingRect() const
{
    if (d->image.isNull())
        return QRectF();
    const QRectF rect(d->offset, QSizeF(d->image.size()));
    if (flags() & ItemIsSelectable)
        return rect.adjusted(-kSelectionMargin, -kSelectionMargin, kSelectionMargin,
                             kSelectionMargin);
    return rect;
}

QPainterPath QGraphicsImageItem::shape() const
{
    if (!d->shapeValid)
        d->updateShape();
    return d->shape;
}

bool QGraphicsImageItem::contains(const QPointF &point) const
{
    return QGraphicsItem::contains(point);
}

bool QGraphicsImageItem::isObscuredBy(const QGraphicsItem *item) const
{
    return QGraphicsItem::isObscuredBy(item);
}

QPainterPath QGraphicsImageItem::opaqueArea() const
{
    return shape();
}

void QGraphicsImageItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    painter->setRenderHint(QPainter::SmoothPixmapTransform, d->mode == Qt::SmoothTransformation);
    painter->drawImage(d->offset, d->image);
}

int QGraphicsImageItem::type() const
{
    return UserType;
}
