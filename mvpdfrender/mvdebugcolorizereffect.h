#ifndef MVDEBUGCOLORIZEREFFECT_H
#define MVDEBUGCOLORIZEREFFECT_H

#include "mvpdfrender_global.h"

#include <QGraphicsEffect>

class QGraphicsItem;

// A layout aid: paints its item, then a thin blue outline of the item's bounds and a tiny
// label with the item's scale and size. Attached to page items by the page composer when
// its debug outline is on.
class MVPDFRENDER_EXPORT MvDebugColorizerEffect : public QGraphicsEffect
{
    Q_OBJECT

public:
    explicit MvDebugColorizerEffect(QObject *parent);
    ~MvDebugColorizerEffect() override;

    // The item whose numbers the label shows; not owned.
    void setItem(QGraphicsItem *item);

protected:
    void draw(QPainter *painter) override;

private:
    QGraphicsItem *item;
};

#endif // MVDEBUGCOLORIZEREFFECT_H
