#include "mvpagepainter.h"

#include "mvtextitem.h"
#include "qgraphicsimageitem.h"

#include <QGraphicsLineItem>
#include <QGraphicsScene>
#include <QPainter>
#include <QStyleOptionGraphicsItem>

#include <algorithm>
#include <typeinfo>

namespace {

// Items whose paint leaves nothing behind in the painter that a later item could mind, and
// that need none of the scene's per-item machinery (effects, opacity, clipping, children).
bool paintsPlainly(const QGraphicsItem *item)
{
    const auto &kind = typeid(*item);
    if (kind != typeid(MvTextItem) && kind != typeid(QGraphicsLineItem)
        && kind != typeid(QGraphicsImageItem))
        return false;
    constexpr QGraphicsItem::GraphicsItemFlags kSceneHandled =
            QGraphicsItem::ItemClipsToShape | QGraphicsItem::ItemClipsChildrenToShape
            | QGraphicsItem::ItemIgnoresTransformations | QGraphicsItem::ItemHasNoContents;
    return item->isVisible() && !item->parentItem() && item->childItems().isEmpty()
            && !item->graphicsEffect() && item->opacity() == 1.0
            && item->cacheMode() == QGraphicsItem::NoCache && !(item->flags() & kSceneHandled)
            && !item->isSelected() && !item->hasFocus();
}

} // namespace

namespace MvPagePainter {

bool paint(QGraphicsScene &scene, const QRectF &source, QPainter *painter, const QRectF &target)
{
    if (source.isEmpty())
        return false;
    const QList<QGraphicsItem *> items = scene.items(source, Qt::IntersectsItemBoundingRect,
                                                     Qt::AscendingOrder);
    if (!std::all_of(items.cbegin(), items.cend(), paintsPlainly))
        return false;
    if (scene.backgroundBrush().style() != Qt::NoBrush
        || scene.foregroundBrush().style() != Qt::NoBrush)
        return false;

    const double ratio = qMin(target.width() / source.width(), target.height() / source.height());
    painter->save();
    painter->setClipRect(target, Qt::IntersectClip);
    const QTransform view = QTransform()
            .translate(target.left(), target.top())
            .scale(ratio, ratio)
            .translate(-source.left(), -source.top()) * painter->worldTransform();
    QStyleOptionGraphicsItem option;
    for (QGraphicsItem *item : items) {
        painter->setWorldTransform(item->sceneTransform() * view);
        option.exposedRect = item->boundingRect();
        option.rect = option.exposedRect.toAlignedRect();
        item->paint(painter, &option, nullptr);
    }
    painter->restore();
    return true;
}

} // namespace MvPagePainter
