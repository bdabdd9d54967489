#ifndef DOCUMENTGRAPHICS_H
#define DOCUMENTGRAPHICS_H

#include "mvpdfrender_global.h"

#include <QList>
#include <QMap>
#include <QVariant>

#include <memory>

class QGraphicsItem;

/**
 * \brief One document of a document report.
 *
 * Its graphics items in reading order, top to bottom, and its attributes (keyed by
 * MvKeys::DocumentAttribute: the document's number, its outline title). The item pointers are
 * not owned: PDFRendererDocuments::appendDoc() takes the items over. A plain value: copies
 * share the item pointers.
 */
class MVPDFRENDER_EXPORT DocumentGraphics
{
public:
    /** No items, no attributes. */
    DocumentGraphics();
    ~DocumentGraphics();
    /** Copies the item pointers and the attributes. */
    DocumentGraphics(const DocumentGraphics &other);
    /** Copies the item pointers and the attributes. */
    DocumentGraphics &operator=(const DocumentGraphics &other);
    /** Moving leaves the source with two empty members. \since 1.1 */
    DocumentGraphics(DocumentGraphics &&other) noexcept;
    /** Moving leaves the source with two empty members. \since 1.1 */
    DocumentGraphics &operator=(DocumentGraphics &&other) noexcept;

    /** The items, modifiable. */
    QList<QGraphicsItem *> &operator()();
    /** The items. */
    const QList<QGraphicsItem *> &operator()() const;

    QList<QGraphicsItem *> items;   ///< The items, top to bottom; not owned.
    QMap<int, QVariant> attributes; ///< Keyed by MvKeys::DocumentAttribute.

private:
    struct Private;
    std::unique_ptr<Private> d;   // what later versions add; none yet
};

#endif // DOCUMENTGRAPHICS_H
