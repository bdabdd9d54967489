#ifndef QGRAPHICSIMAGEITEM_H
#define QGRAPHICSIMAGEITEM_H

#include "mvpdfrender_global.h"

#include <QGraphicsItem>
#include <QImage>
#include <QPainterPath>
#include <QPointF>

#include <memory>

/**
 * \brief A graphics item that paints a QImage.
 *
 * The image counterpart of QGraphicsPixmapItem, for hosts that put pictures among the items of
 * their documents. A QImage, unlike a QPixmap, can be made on a worker thread.
 */
class MVPDFRENDER_EXPORT QGraphicsImageItem : public QGraphicsItem
{
public:
    /** An item with a null image. */
    explicit QGraphicsImageItem(QGraphicsItem *parent = nullptr);
    /** An item showing image. */
    explicit QGraphicsImageItem(const QImage &image, QGraphicsItem *parent = nullptr);
    ~QGraphicsImageItem() override;

    /** The image. */
    QImage image() const;
    /** Replaces the image. */
    void setImage(const QImage &image);
    /** The top-left corner of the image in item coordinates. */
    QPointF offset() const;
    /** Moves the image within the item. */
    void setOffset(const QPointF &offset);
    /** Moves the image within the item. */
    void setOffset(double x, double y);
    /** How the image is scaled when painted (default Qt::FastTransformation). */
    Qt::TransformationMode transformationMode() const;
    /** Sets how the image is scaled when painted. */
    void setTransformationMode(Qt::TransformationMode mode);

    /** The image's rectangle, grown by 0.5 on every side when the item is selectable. */
    QRectF boundingRect() const override;
    /** The image's rectangle. */
    QPainterPath shape() const override;
    /** Whether point lies in the image's rectangle. */
    bool contains(const QPointF &point) const override;
    /** As QGraphicsItem's. */
    bool isObscuredBy(const QGraphicsItem *item) const override;
    /** The image's rectangle. */
    QPainterPath opaqueArea() const override;
    /** Paints the image at offset(). */
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option,
               QWidget *widget) override;
    /** QGraphicsItem::UserType (65536). */
    int type() const override;

private:
    Q_DISABLE_COPY(QGraphicsImageItem)

    struct Private;
    std::unique_ptr<Private> d;
};

#endif // QGRAPHICSIMAGEITEM_H
