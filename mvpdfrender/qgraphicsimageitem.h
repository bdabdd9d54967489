#ifndef QGRAPHICSIMAGEITEM_H
#define QGRAPHICSIMAGEITEM_H

#include "mvpdfrender_global.h"

#include <QGraphicsItem>
#include <QImage>
#include <QPainterPath>
#include <QPointF>

#include <memory>

// A graphics item that paints a QImage, the image counterpart of QGraphicsPixmapItem, for
// hosts that put pictures among the items of their documents.
class MVPDFRENDER_EXPORT QGraphicsImageItem : public QGraphicsItem
{
public:
    explicit QGraphicsImageItem(QGraphicsItem *parent = nullptr);
    explicit QGraphicsImageItem(const QImage &image, QGraphicsItem *parent = nullptr);
    ~QGraphicsImageItem() override;

    QImage image() const;
    void setImage(const QImage &image);
    // Top-left corner of the image in item coordinates.
    QPointF offset() const;
    void setOffset(const QPointF &offset);
    void setOffset(double x, double y);
    Qt::TransformationMode transformationMode() const;
    void setTransformationMode(Qt::TransformationMode mode);

    // The image's rectangle, grown by 0.5 on every side when the item is selectable.
    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    bool contains(const QPointF &point) const override;
    bool isObscuredBy(const QGraphicsItem *item) const override;
    QPainterPath opaqueArea() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option,
               QWidget *widget) override;
    int type() const override;

private:
    // The shape is rebuilt on demand by the const shape(), hence a separate record.
    struct ShapeCache
    {
        QPainterPath path;
        bool valid = false;
    };

    void updateShape() const;

    QImage img;
    Qt::TransformationMode mode;
    QPointF imageOffset;
    std::unique_ptr<ShapeCache> shapeCache;
};

#endif // QGRAPHICSIMAGEITEM_H
