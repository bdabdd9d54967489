#include "pagerecorder.h"

#include "asyncreportshelper.h"

#include <QGraphicsLineItem>
#include <QGraphicsTextItem>

PageRecorder::PageRecorder(const AsyncReportsHelper &helper, QList<PlacedItem> *placed)
    : helper(helper), placed(placed)
{
}

QRectF PageRecorder::boundingRect() const
{
    return QRectF(0, 0, 1, 1);
}

void PageRecorder::paint(QPainter *, const QStyleOptionGraphicsItem *, QWidget *)
{
    ++pages;
    for (QGraphicsItem *item : helper.pageItems) {
        auto *text = qgraphicsitem_cast<QGraphicsTextItem *>(item);
        if (item->type() == QGraphicsLineItem::Type)
            continue;
        QRectF box = item->sceneBoundingRect();
        if (!item->childItems().isEmpty())
            box |= item->mapRectToScene(item->childrenBoundingRect());
        const QVariant tag = item->data(kTagKey);
        placed->append({pages, helper.getColumnCount(), box, text ? text->toPlainText() : QString(),
                        item->scale(), tag.isValid() ? tag.toInt() : -1});
    }
}
