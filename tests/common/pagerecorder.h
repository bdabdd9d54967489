#ifndef PAGERECORDER_H
#define PAGERECORDER_H

#include <QGraphicsItem>
#include <QList>
#include <QRectF>
#include <QString>

class AsyncReportsHelper;

// A content item of a painted page, as a test sees it.
struct PlacedItem
{
    int page;         // from 1
    int columns;      // of its page
    QRectF box;       // scene units, its children's boxes included
    QString text;     // of a text item
    double scale;
    int tag;          // the item's data under PageRecorder::kTagKey, -1 if it has none
};

// Stays on the page scene (it is no page item) and records, whenever a page is painted, the
// content items of that page in the order they were placed; rules are left out.
class PageRecorder : public QGraphicsItem
{
public:
    // The data key a test tags its own items with, to find them again.
    static constexpr int kTagKey = 0x7E57;

    PageRecorder(const AsyncReportsHelper &helper, QList<PlacedItem> *placed);

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

private:
    const AsyncReportsHelper &helper;
    QList<PlacedItem> *placed;
    int pages = 0;
};

#endif // PAGERECORDER_H
