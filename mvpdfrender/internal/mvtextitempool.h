#ifndef MVTEXTITEMPOOL_H
#define MVTEXTITEMPOOL_H

#include <QVector>
#include <QMultiHash>
#include <QString>

class MvTextItem;
class QTextCharFormat;

// The page composer's text items of flushed pages, waiting for reuse by a later page: laying
// out a text again costs far more than moving a laid-out item, and receipts repeat their lines.
class MvTextItemPool
{
public:
    MvTextItemPool() = default;
    // Deletes the items kept.
    ~MvTextItemPool();

    // A kept item already holding text in format (filled = true), else any kept item
    // (filled = false), else none. The caller owns what it gets.
    MvTextItem *take(const QString &text, const QTextCharFormat &format, bool *filled);
    // Keeps item, reset to a new item's state, or deletes it when enough are kept already.
    void keep(MvTextItem *item);

private:
    Q_DISABLE_COPY(MvTextItemPool)   // owns its items

    // Takes item, which is kept, out of items.
    void remove(MvTextItem *item);

    QVector<MvTextItem *> items;
    QMultiHash<QString, MvTextItem *> byText;
};

#endif // MVTEXTITEMPOOL_H
