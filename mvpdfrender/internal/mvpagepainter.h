#ifndef MVPAGEPAINTER_H
#define MVPAGEPAINTER_H

#include <QRectF>
#include <QTransform>

class QGraphicsScene;
class QPainter;

// The page composer's own painting of a plain page: what QGraphicsScene::render() paints
// (same items, order, transforms and page clip) without its painter save and restore around
// every item, which for thousands of lines a page costs more than the text itself.
namespace MvPagePainter {

// Paints source of scene into target, scaled uniformly as Qt::KeepAspectRatio does. Returns
// false, having painted nothing, when an item or the scene needs the scene's own rendering
// (an effect, opacity, clipping, children, a background or foreground brush, an item type
// of its own).
bool paint(QGraphicsScene &scene, const QRectF &source, QPainter *painter, const QRectF &target);

// The transform from scene coordinates to the coordinates of painter that paint() and
// QGraphicsScene::render() give source and target.
QTransform pageView(const QRectF &source, QPainter *painter, const QRectF &target);

// While one exists, page lines painted with painter draw their text in scene coordinates
// under view, the same for the whole page, instead of each under a transform of its own
// (which the PDF writes as a graphics state per line). Whichever way the page is painted,
// its lines then stand at the same coordinates.
class PageViewScope
{
public:
    PageViewScope(QPainter *painter, const QTransform &view);
    ~PageViewScope();

    // The view of painter's page being painted, or null.
    static const QTransform *viewFor(const QPainter *painter);

private:
    Q_DISABLE_COPY(PageViewScope)   // unregisters itself once

    const PageViewScope *outer;
    QPainter *painter;
    QTransform view;
};

} // namespace MvPagePainter

#endif // MVPAGEPAINTER_H
