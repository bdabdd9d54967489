#ifndef MVPAGEPAINTER_H
#define MVPAGEPAINTER_H

#include <QRectF>

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

} // namespace MvPagePainter

#endif // MVPAGEPAINTER_H
