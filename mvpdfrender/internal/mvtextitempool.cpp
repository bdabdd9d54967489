#include "mvtextitempool.h"

#include "mvtextitem.h"

namespace {
// Text items kept for reuse: more than a page of 5 pt lines holds.
constexpr int kMaxKeptItems = 1000;
}

MvTextItemPool::~MvTextItemPool()
{
    qDeleteAll(items);
}

MvTextItem *MvTextItemPool::take(const QString &text, const QTextCharFormat &format, bool *filled)
{
    for (auto it = byText.find(text); it != byText.end() && it.key() == text; ++it) {
        MvTextItem *item = it.value();
        if (item->format == format) {
            byText.erase(it);
            remove(item);
            *filled = true;
            return item;
        }
    }
    *filled = false;
    if (items.isEmpty())
        return nullptr;
    MvTextItem *item = items.constLast();
    remove(item);
    byText.remove(item->text, item);
    return item;
}

void MvTextItemPool::remove(MvTextItem *item)
{
    // The last item kept takes its place: no search, no shifting.
    MvTextItem *last = items.takeLast();
    if (last != item) {
        items[item->poolIndex] = last;
        last->poolIndex = item->poolIndex;
    }
    item->poolIndex = -1;
}

void MvTextItemPool::keep(MvTextItem *item)
{
    if (items.size() >= kMaxKeptItems) {
        delete item;
        return;
    }
    // Back to the state of a new item: no outline effect, at the origin, at its own size (a
    // renderer may have scaled it down to fit), without layout hints, for anyone.
    item->setGraphicsEffect(nullptr);
    item->setPos(0.0, 0.0);
    item->setScale(1.0);
    for (const MvKeys::ItemData key : MvTextItem::LayoutHints) {
        if (item->data(key).isValid())
            item->setData(key, QVariant());
    }
    item->recyclable = false;
    item->cutFrom = 0;
    item->poolIndex = items.size();
    items.append(item);
    byText.insert(item->text, item);
}
