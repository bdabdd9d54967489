#ifndef ASYNCREPORTSHELPER_H
#define ASYNCREPORTSHELPER_H

#include "mvpdfrender_global.h"

#include <QList>
#include <QMap>
#include <QPen>
#include <QRect>
#include <QStringList>
#include <QTextCharFormat>

#include <memory>

class MvTextItem;
class MvTextItemPool;
class QGraphicsItem;
class QGraphicsScene;
class QPaintDevice;
class QPainter;

// The page composer of one report: one scene standing for the printable area of a page, the
// shared text formats and pens, the content area between header and footer, the columns of
// the page, and the items of the page being composed. Positions and lengths are in scene
// units of 1/ppi inch, origin at the top-left corner of the printable area, y downwards.
class MVPDFRENDER_EXPORT AsyncReportsHelper
{
public:
    AsyncReportsHelper();
    ~AsyncReportsHelper();
    // Copies share the scene: it is deleted with the last helper that holds it. The lists of
    // page items are copied as they are, so only one copy may flush them.
    AsyncReportsHelper(const AsyncReportsHelper &other);
    AsyncReportsHelper &operator=(const AsyncReportsHelper &other);

    void setPpi(int ppi);
    double MMTOPT(double mm) const;

    // Creates the page scene for rect. A second call replaces the first scene: the page items,
    // header and footer of the first scene are deleted with it.
    void createScene(const QRect &rect);
    double width() const;
    double contentHeight() const;
    // The y at which the footer band begins (contentBottom).
    double top() const;

    void setColumnCount(int count);
    int getColumnCount() const;
    double columnOffset(int columnIndex) const;

    // Both take ownership of item and add it to the scene; they never move it.
    void appendToColumn(QGraphicsItem *item);
    void appendToPage(QGraphicsItem *item);
    void centerColumn();
    // Centres a block of blockWidth scene units (measured from the items when 0 or less)
    // in one column width.
    void centerPart(QList<QGraphicsItem *> &partItems, double blockWidth);
    void flushColumn();
    void columnSeparators();
    void flushPageItems();
    // As flushPageItems(), but the text items made by createPageTextItem() are kept for reuse
    // by later pages instead of being deleted. For the renderers, whose page items nobody
    // else holds.
    void flushPageItemsForReuse();
    void render(QPainter *painter, QRect target);

    void setDebugColorize(bool on);
    bool getDebugColorize() const;
    void debugColorize();

    // A new text item holding text in format, with a 90 % line height; owned by the caller.
    QGraphicsItem *createTextItemWithFormat(const QString &text, const QTextCharFormat &format);
    // The same, for a text item that is only ever placed on a page (appendToColumn() or
    // appendToPage()) or deleted: flushPageItemsForReuse() keeps it for reuse by a later page
    // instead of deleting it, so the caller neither keeps it nor changes anything but its
    // position.
    QGraphicsItem *createPageTextItem(const QString &text, const QTextCharFormat &format);
    // The device text items are laid out for, at 100 dpi whatever the screen: text measured for
    // it (QTextLayout, QFontMetricsF) measures as the items will.
    static QPaintDevice *textLayoutDevice();
    // Stacks lines down column columnIndex from y (relative to contentTop); returns the y below.
    double emitTextList(double y, int columnIndex, const QStringList &lines,
                        const QTextCharFormat &format);
    // The header band: the title and the right-hand text on the first line, the subtitle below
    // them. A text too long for its place (the page's width, or for the title what the
    // right-hand text leaves of their line) is cut with an ellipsis after as much of its first
    // line as fits.
    void createHeader(const QString &titleText, const QString &subtitleText,
                      const QString &rightText);
    void createFooter();
    void setPageNum(int page);

    int columnCount;
    QMap<int, QTextCharFormat> formats;
    QMap<int, QPen> pens;
    QGraphicsScene *scene;            // owned, shared with copies
    QRect sceneRect;
    int ppi;                          // scene units per inch
    double contentTop;
    double contentBottom;
    QList<QGraphicsItem *> pageItems;   // owned; deleted by flushPageItems()
    QList<QGraphicsItem *> columnItems; // a sub-list of pageItems; owns nothing
    QGraphicsItem *footerItem;        // owned by the scene
    bool debugColorizeEnabled;

private:
    void flushPage(bool keepPageText);
    QGraphicsItem *fittedTextItem(const QString &text, const QTextCharFormat &format, double maxWidth);
    static QString pageLabel(int page);
    double itemHeight(const QGraphicsItem *item) const;
    double itemWidth(const QGraphicsItem *item) const;

    std::shared_ptr<QGraphicsScene> sceneOwner;
    // Text items of flushed pages, waiting for reuse; shared with copies, like the scene.
    std::shared_ptr<MvTextItemPool> textItemPool;
};

#endif // ASYNCREPORTSHELPER_H
