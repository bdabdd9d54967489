#include "qgraphicsimageitem.h"

#include <QGraphicsScene>
#include <QPaintEngine>
#include <QPainter>
#include <QtTest>

namespace {

// Counts repaint requests that reach the scene.
class ChangeCounter : public QObject
{
public:
    explicit ChangeCounter(QGraphicsScene *scene)
    {
        connect(scene, &QGraphicsScene::changed, this, [this]() { ++changes; });
    }
    int changes = 0;
};

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
    void emptyItem();
    void geometry_data();
    void geometry();
    void shapeFollowsChanges();
    void offsetEqualityIsFuzzy_data();
    void offsetEqualityIsFuzzy();
    void transformationMode();
    void paintsTheImage();
};

void tst_ImageItem::emptyItem()
{
    QGraphicsImageItem item;
    QVERIFY(item.image().isNull());
    QCOMPARE(item.type(), 65536);
    QCOMPARE(item.transformationMode(), Qt::FastTransformation);
    QCOMPARE(item.offset(), QPointF(0, 0));
    QCOMPARE(item.boundingRect(), QRectF());
    QCOMPARE(item.shape().boundingRect(), QRectF(0, 0, 0, 0));
    QCOMPARE(item.opaqueArea(), item.shape());
}

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

void tst_ImageItem::offsetEqualityIsFuzzy_data()
{
    QTest::addColumn<QPointF>("stored");
    QTest::addColumn<QPointF>("requested");
    QTest::addColumn<bool>("changes");

    QTest::newRow("same point") << QPointF(10, 20) << QPointF(10, 20) << false;
    QTest::newRow("1e-14 away") << QPointF(10, 20) << QPointF(10 + 1e-14, 20) << false;
    QTest::newRow("zero against 1e-11") << QPointF(1e-11, 0) << QPointF(0, 0) << true;
    QTest::newRow("zero against 1e-13") << QPointF(1e-13, 0) << QPointF(0, 0) << false;
    QTest::newRow("other y") << QPointF(10, 20) << QPointF(10, 21) << true;
}

void tst_ImageItem::offsetEqualityIsFuzzy()
{
    QFETCH(QPointF, stored);
    QFETCH(QPointF, requested);
    QFETCH(bool, changes);

    QGraphicsScene scene;
    auto *item = new QGraphicsImageItem(testImage(10, 10), nullptr);
    scene.addItem(item);
    item->setOffset(stored);
    ChangeCounter counter(&scene);
    QCoreApplication::processEvents();
    counter.changes = 0;
    item->setOffset(requested);
    QCoreApplication::processEvents();
    QCOMPARE(counter.changes > 0, changes);
    if (changes)
        QCOMPARE(item->offset(), requested);
    else
        QCOMPARE(item->offset().x(), stored.x());
}

void tst_ImageItem::transformationMode()
{
    QGraphicsScene scene;
    auto *item = new QGraphicsImageItem(testImage(10, 10), nullptr);
    scene.addItem(item);
    ChangeCounter counter(&scene);
    QCoreApplication::processEvents();
    counter.changes = 0;
    item->setTransformationMode(Qt::FastTransformation);
    QCoreApplication::processEvents();
    QCOMPARE(counter.changes, 0);
    item->setTransformationMode(Qt::SmoothTransformation);
    QCoreApplication::processEvents();
    QCOMPARE(counter.changes, 1);
    QCOMPARE(item->transformationMode(), Qt::SmoothTransformation);

    QImage target(10, 10, QImage::Format_ARGB32);
    QPainter painter(&target);
    item->paint(&painter, nullptr, nullptr);
    QVERIFY(painter.testRenderHint(QPainter::SmoothPixmapTransform));
    item->setTransformationMode(Qt::FastTransformation);
    item->paint(&painter, nullptr, nullptr);
    QVERIFY(!painter.testRenderHint(QPainter::SmoothPixmapTransform));
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
