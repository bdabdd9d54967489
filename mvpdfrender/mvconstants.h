#ifndef MVCONSTANTS_H
#define MVCONSTANTS_H

#include "mvpdfrender_global.h"

#include <QSizeF>

class QGraphicsItem;

/** \brief Measuring rules shared by the document renderer and its hosts. */
class MVPDFRENDER_EXPORT MvConstants
{
public:
    /** The class holds no state: objects are made, copied and moved freely. */
    MvConstants() = default;
    /** Copies nothing: the class holds no state. */
    MvConstants(const MvConstants &) = default;
    /** Moves nothing: the class holds no state. */
    MvConstants(MvConstants &&) = default;
    /** Copies nothing: the class holds no state. */
    MvConstants &operator=(const MvConstants &) = default;
    /** Moves nothing: the class holds no state. */
    MvConstants &operator=(MvConstants &&) = default;

    /**
     * The size of item's bounding rectangle, united with its children's
     * (QGraphicsItem::childrenBoundingRect(): a composite item takes its children's room too),
     * times its scale; position, rotation and other transformations of the item play no part.
     * For an item without children, its bounding rectangle's size times its scale. Reentrant.
     */
    static QSizeF SCALEDBBSIZE(const QGraphicsItem *item);
};

#endif // MVCONSTANTS_H
