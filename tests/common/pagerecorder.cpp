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
        if (item->type() != QGraphicsLineItem::Type)
            placed->append({pages, helper.getColumnCount(), item->sceneBoundingRect(),
                            text ? text->toPlainText() : QString(), item->scale()});
    }
}
