#include "documentgraphics.h"

DocumentGraphics::DocumentGraphics() = default;

DocumentGraphics::~DocumentGraphics() = default;

DocumentGraphics::DocumentGraphics(const DocumentGraphics &other) = default;

DocumentGraphics &DocumentGraphics::operator=(const DocumentGraphics &other) = default;

DocumentGraphics::DocumentGraphics(DocumentGraphics &&other) noexcept
    : items(std::move(other.items)), attributes(std::move(other.attributes))
{
    other.items.clear();
    other.attributes.clear();
}

DocumentGraphics &DocumentGraphics::operator=(DocumentGraphics &&other) noexcept
{
    if (this != &other) {
        items = std::move(other.items);
        attributes = std::move(other.attributes);
        other.items.clear();
        other.attributes.clear();
    }
    return *this;
}

QList<QGraphicsItem *> &DocumentGraphics::operator()()
{
    return items;
}

const QList<QGraphicsItem *> &DocumentGraphics::operator()() const
{
    return items;
}
