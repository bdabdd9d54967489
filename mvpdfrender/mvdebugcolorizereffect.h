#ifndef MVDEBUGCOLORIZEREFFECT_H
#define MVDEBUGCOLORIZEREFFECT_H

#include "mvpdfrender_global.h"

#include <QGraphicsEffect>

#include <memory>

class QGraphicsItem;

/**
 * \brief A layout aid: paints its item, then a thin blue outline of the item's bounds and a
 * tiny label with the item's scale and size.
 *
 * Attached to page items by the page composer when its debug outline is on
 * (AsyncReportsHelper::setDebugColorize()); the item owns the effect.
 */
class MVPDFRENDER_EXPORT MvDebugColorizerEffect : public QGraphicsEffect
{
    Q_OBJECT

public:
    /** An effect for no item yet. */
    explicit MvDebugColorizerEffect(QObject *parent);
    ~MvDebugColorizerEffect() override;

    /** The item whose numbers the label shows; not owned. */
    void setItem(QGraphicsItem *item);

protected:
    /** Paints the item, its outline and, for an item set with setItem(), the label. */
    void draw(QPainter *painter) override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

#endif // MVDEBUGCOLORIZEREFFECT_H
