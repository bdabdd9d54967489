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

// The scope of the page being painted on this thread, innermost first.
thread_local const MvPagePainter::PageViewScope *currentScope = nullptr;

} // namespace

namespace MvPagePainter {

PageViewScope::PageViewScope(QPainter *painter, const QTransform &view)
    : outer(currentScope), painter(painter), view(view)
{
    currentScope = this;
}

PageViewScope::~PageViewScope()
{
    currentScope = outer;
}

const QTransform *PageViewScope::viewFor(const QPainter *painter)
{
    for (const PageViewScope *scope = currentScope; scope; scope = scope->outer) {
        if (scope->painter == painter)
            return &scope->view;
    }
    return nullptr;
}

QTransform pageView(const QRectF &source, QPainter *painter, const QRectF &target)
{
    const double ratio = qMin(target.width() / source.width(), target.height() / source.height());
    return QTransform()
            .translate(target.left(), target.top())
            .scale(ratio, ratio)
            .translate(-source.left(), -source.top()) * painter->worldTransform();
}

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

    painter->save();
    painter->setClipRect(target, Qt::IntersectClip);
    const QTransform view = pageView(source, painter, target);
    const PageViewScope scope(painter, view);
    QStyleOptionGraphicsItem option;
    for (QGraphicsItem *item : items) {
        // A page line sets the page's view itself, when it is not set already.
        const bool pageLine = typeid(*item) == typeid(MvTextItem)
                && static_cast<const MvTextItem *>(item)->paintsInSceneCoordinates();
        if (!pageLine)
            painter->setWorldTransform(item->sceneTransform() * view);
        option.exposedRect = item->boundingRect();
        option.rect = option.exposedRect.toAlignedRect();
        item->paint(painter, &option, nullptr);
    }
    painter->restore();
    return true;
}

} // namespace MvPagePainter
