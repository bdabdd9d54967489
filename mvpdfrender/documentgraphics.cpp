#include "documentgraphics.h"

// Nothing yet: the place where later versions keep what they add, so that the class keeps its
// size and layout.
struct Q_DECL_HIDDEN DocumentGraphics::Private
{
};

DocumentGraphics::DocumentGraphics() = default;

DocumentGraphics::~DocumentGraphics() = default;

DocumentGraphics::DocumentGraphics(const DocumentGraphics &other)
    : items(other.items), attributes(other.attributes),
      d(other.d ? std::make_unique<Private>(*other.d) : nullptr)
{
}

DocumentGraphics &DocumentGraphics::operator=(const DocumentGraphics &other)
{
    items = other.items;
    attributes = other.attributes;
    d = other.d ? std::make_unique<Private>(*other.d) : nullptr;
    return *this;
}

DocumentGraphics::DocumentGraphics(DocumentGraphics &&other) noexcept
    : items(std::move(other.items)), attributes(std::move(other.attributes)), d(std::move(other.d))
{
    other.items.clear();
    other.attributes.clear();
}

DocumentGraphics &DocumentGraphics::operator=(DocumentGraphics &&other) noexcept
{
    if (this != &other) {
        items = std::move(other.items);
        attributes = std::move(other.attributes);
        d = std::move(other.d);
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
