#ifndef DOCUMENTGRAPHICS_H
#define DOCUMENTGRAPHICS_H

#include "mvpdfrender_global.h"

#include <QList>
#include <QMap>
#include <QVariant>

class QGraphicsItem;

// One document of a document report: its graphics items in reading order, top to bottom,
// and its attributes (key 0: the document number). The item pointers are not owned.
class MVPDFRENDER_EXPORT DocumentGraphics
{
public:
    DocumentGraphics();
    ~DocumentGraphics();
    DocumentGraphics(const DocumentGraphics &other);
    DocumentGraphics &operator=(const DocumentGraphics &other);
    // Moving leaves the source with two empty members.
    DocumentGraphics(DocumentGraphics &&other) noexcept;
    DocumentGraphics &operator=(DocumentGraphics &&other) noexcept;

    QList<QGraphicsItem *> &operator()();
    const QList<QGraphicsItem *> &operator()() const;

    QList<QGraphicsItem *> items;
    QMap<int, QVariant> attributes;
};

#endif // DOCUMENTGRAPHICS_H
