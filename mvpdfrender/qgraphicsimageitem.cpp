#include "qgraphicsimageitem.h"

#include <QPainter>

namespace {
// Room for a one-unit selection outline around a selectable item.
constexpr qreal kSelectionMargin = 0.5;
}

QGraphicsImageItem::QGraphicsImageItem(QGraphicsItem *parent)
    : QGraphicsItem(parent),
      mode(Qt::FastTransformation),
      shapeCache(std::make_unique<ShapeCache>())
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
    return img;
}

void QGraphicsImageItem::setImage(const QImage &image)
{
    prepareGeometryChange();
    img = image;
    shapeCache->valid = false;
    update(QRectF());
}

QPointF QGraphicsImageItem::offset() const
{
    return imageOffset;
}

void QGraphicsImageItem::setOffset(const QPointF &offset)
{
    // QPointF's fuzzy equality: a difference at the 1e-12 level is no change.
    if (offset == imageOffset)
        return;
    prepareGeometryChange();
    imageOffset = offset;
    shapeCache->valid = false;
    update(QRectF());
}

void QGraphicsImageItem::setOffset(double x, double y)
{
    setOffset(QPointF(x, y));
}

Qt::TransformationMode QGraphicsImageItem::transformationMode() const
{
    return mode;
}

void QGraphicsImageItem::setTransformationMode(Qt::TransformationMode mode)
{
    if (mode == this->mode)
        return;
    this->mode = mode;
    update(QRectF());
}

QRectF QGraphicsImageItem::boundingRect() const
{
    if (img.isNull())
        return QRectF();
    const QRectF rect(imageOffset, QSizeF(img.size()));
    if (flags() & ItemIsSelectable)
        return rect.adjusted(-kSelectionMargin, -kSelectionMargin, kSelectionMargin,
                             kSelectionMargin);
    return rect;
}

QPainterPath QGraphicsImageItem::shape() const
{
    if (!shapeCache->valid) {
        updateShape();
        shapeCache->valid = true;
    }
    return shapeCache->path;
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
    painter->setRenderHint(QPainter::SmoothPixmapTransform, mode == Qt::SmoothTransformation);
    painter->drawImage(imageOffset, img);
}

int QGraphicsImageItem::type() const
{
    return UserType;
}

void QGraphicsImageItem::updateShape() const
{
    shapeCache->path = QPainterPath();
    shapeCache->path.addRect(imageOffset.x(), imageOffset.y(), img.width(), img.height());
}
