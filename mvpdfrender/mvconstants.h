#ifndef MVCONSTANTS_H
#define MVCONSTANTS_H

#include "mvpdfrender_global.h"

#include <QSizeF>

class QGraphicsItem;

// Measuring rules shared by the document renderer and its hosts.
class MVPDFRENDER_EXPORT MvConstants
{
public:
    MvConstants() = default;
    MvConstants(const MvConstants &) = default;
    MvConstants(MvConstants &&) = default;
    MvConstants &operator=(const MvConstants &) = default;
    MvConstants &operator=(MvConstants &&) = default;

    // The item's bounding size times its scale; position, rotation and other transformations
    // play no part.
    static QSizeF SCALEDBBSIZE(const QGraphicsItem *item);
};

#endif // MVCONSTANTS_H
