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
    QRectF box;       // scene units
    QString text;     // of a text item
    double scale;
};

// Stays on the page scene (it is no page item) and records, whenever a page is painted, the
// content items of that page in the order they were placed; rules are left out.
class PageRecorder : public QGraphicsItem
{
public:
    PageRecorder(const AsyncReportsHelper &helper, QList<PlacedItem> *placed);

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

private:
    const AsyncReportsHelper &helper;
    QList<PlacedItem> *placed;
    int pages = 0;
};

#endif // PAGERECORDER_H
