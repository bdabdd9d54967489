#include "qgraphicsimageitem.h"

#include <QGraphicsScene>
#include <QPainter>
#include <QtTest>

namespace {

QImage testImage(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::red);
    return image;
}

} // namespace

class tst_ImageItem : public QObject
{
    Q_OBJECT

private slots:
    void geometry_data();
    void geometry();
    void shapeFollowsChanges();
    void paintsTheImage();
};

void tst_ImageItem::geometry_data()
{
    QTest::addColumn<bool>("selectable");
    QTest::addColumn<QRectF>("bounds");
    QTest::newRow("plain") << false << QRectF(10, 20, 100, 50);
    QTest::newRow("selectable adds half a unit") << true << QRectF(9.5, 19.5, 101, 51);
}

void tst_ImageItem::geometry()
{
    QFETCH(bool, selectable);
    QFETCH(QRectF, bounds);
    QGraphicsImageItem item(testImage(100, 50), nullptr);
    item.setOffset(10, 20);
    item.setFlag(QGraphicsItem::ItemIsSelectable, selectable);
    QCOMPARE(item.boundingRect(), bounds);
    QCOMPARE(item.shape().boundingRect(), QRectF(10, 20, 100, 50));
    QVERIFY(item.contains(QPointF(50, 40)));
    QVERIFY(!item.contains(QPointF(5, 40)));
}

void tst_ImageItem::shapeFollowsChanges()
{
    QGraphicsImageItem item(testImage(10, 10), nullptr);
    QCOMPARE(item.shape().boundingRect(), QRectF(0, 0, 10, 10));
    item.setImage(testImage(30, 40));
    QCOMPARE(item.shape().boundingRect(), QRectF(0, 0, 30, 40));
    item.setOffset(QPointF(-5, 7));
    QCOMPARE(item.shape().boundingRect(), QRectF(-5, 7, 30, 40));
    QCOMPARE(item.image().size(), QSize(30, 40));
}

void tst_ImageItem::paintsTheImage()
{
    QGraphicsScene scene(0, 0, 40, 40);
    auto *item = new QGraphicsImageItem(testImage(10, 10), nullptr);
    item->setOffset(5, 5);
    scene.addItem(item);
    QImage target(40, 40, QImage::Format_ARGB32);
    target.fill(Qt::white);
    QPainter painter(&target);
    scene.render(&painter);
    painter.end();
    QCOMPARE(target.pixelColor(10, 10), QColor(Qt::red));
    QCOMPARE(target.pixelColor(2, 2), QColor(Qt::white));
    QCOMPARE(target.pixelColor(16, 16), QColor(Qt::white));
}

QTEST_MAIN(tst_ImageItem)
#include "tst_imageitem.moc"
