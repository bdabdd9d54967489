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

class QGraphicsItem;
class QGraphicsScene;
class QPaintDevice;
class QPainter;

/**
 * \brief The page composer of one report.
 *
 * One scene stands for the printable area of a page and serves every page of the report:
 * the header and footer stay on it, and each page's items are added, painted with render()
 * and deleted with flushPageItems(). The composer also keeps the text formats and pens the
 * renderers share (keyed by MvKeys::Format and MvKeys::Pen), the content area between header
 * and footer, the columns of the page and the items of the page being composed.
 *
 * Positions and lengths are in scene units of 1/ppi inch, origin at the top-left corner of the
 * printable area, y downwards. Every renderer holds one composer (PDFRendererBase::getHlp());
 * a host changes ppi or the debug outline through it before prepare(). The composer, its
 * scene and its items belong to the thread of the job. Members that touch the scene are called
 * only after createScene(); columnCount is at least 1.
 */
class MVPDFRENDER_EXPORT AsyncReportsHelper
{
public:
    /** Six text formats, three pens, 3 columns, 120 ppi; no scene yet. */
    AsyncReportsHelper();
    /** Deletes the scene, when this is its last holder, with every item still on it. */
    ~AsyncReportsHelper();
    /**
     * Copies share the scene: it is deleted with the last helper that holds it. The lists of
     * page items are copied as they are, so only one copy may flush them.
     */
    AsyncReportsHelper(const AsyncReportsHelper &other);
    /** As the copy constructor; the scene this helper held is released as by the destructor. */
    AsyncReportsHelper &operator=(const AsyncReportsHelper &other);

    /** Sets the scene units per inch; before the renderer's prepare() sizes the scene. */
    void setPpi(int ppi);
    /** Millimetres to scene units: ppi × mm / 25.4. */
    double MMTOPT(double mm) const;

    /**
     * Creates the page scene for rect and makes the whole of it the content area. A second call
     * replaces the first scene: the page items, header and footer of the first scene are
     * deleted with it.
     */
    void createScene(const QRect &rect);
    /** The width of the scene. */
    double width() const;
    /** contentBottom - contentTop. */
    double contentHeight() const;
    /** The y at which the footer band begins (contentBottom), not contentTop. */
    double top() const;

    /** Sets the number of equal columns of the page; nothing is laid out again. */
    void setColumnCount(int count);
    /** The number of columns. */
    int getColumnCount() const;
    /** The x of the left edge of column columnIndex (from 0): columnIndex × width() / columns. */
    double columnOffset(int columnIndex) const;

    /**
     * Registers item as an item of the column being filled and of the page, and adds it to the
     * scene. Takes ownership (flushPageItems() deletes it); never moves it. An item is
     * registered once, with this or appendToPage().
     */
    void appendToColumn(QGraphicsItem *item);
    /** As appendToColumn(), for an item of the page that belongs to no column. */
    void appendToPage(QGraphicsItem *item);
    /** centerPart() of the items of the column being filled, measured. */
    void centerColumn();
    /**
     * Shifts partItems horizontally so that a block of blockWidth scene units (measured from
     * the items' scaled widths when 0 or less) is centred in one column width. The shift is
     * negative for a block wider than a column.
     */
    void centerPart(QList<QGraphicsItem *> &partItems, double blockWidth);
    /** Closes the column being filled: its items stay on the page. */
    void flushColumn();
    /** Adds the hairlines between the columns to the page, from contentTop to contentBottom. */
    void columnSeparators();
    /** Removes the page's items from the scene and deletes them; header and footer stay. */
    void flushPageItems();
    /**
     * As flushPageItems(), but the text items made by createPageTextItem() are kept for reuse
     * by later pages instead of being deleted. For the renderers, whose page items nobody
     * else holds.
     * \since 1.1
     */
    void flushPageItemsForReuse();
    /**
     * Paints the whole scene into target of painter, scaled uniformly (the renderers pass the
     * PDF page). With the debug outline on, outlines the page items first.
     */
    void render(QPainter *painter, QRect target);

    /** Switches the debug outline of render() (MvDebugColorizerEffect on every page item). */
    void setDebugColorize(bool on);
    /** Whether render() outlines the page items. */
    bool getDebugColorize() const;
    /** Attaches an MvDebugColorizerEffect to every page item on the scene. */
    void debugColorize();

    /**
     * A new text item holding text in format, with a 90 % line height, at (0, 0), on no scene;
     * owned by the caller until it is added to the scene or registered. Needs a QApplication.
     */
    QGraphicsItem *createTextItemWithFormat(const QString &text, const QTextCharFormat &format);
    /**
     * The same, for a text item that is only ever placed on a page (appendToColumn() or
     * appendToPage()) or deleted: flushPageItemsForReuse() keeps it for reuse by a later page
     * instead of deleting it, so the caller neither keeps it nor changes anything but its
     * position and its layout hints (MvKeys::ItemData, which a kept item loses).
     * \since 1.1
     */
    QGraphicsItem *createPageTextItem(const QString &text, const QTextCharFormat &format);
    /**
     * The device text items are laid out for, at 100 dpi whatever the screen: text measured
     * for it (QTextLayout, QFontMetricsF) measures as the items will. Owned by the library.
     * \since 1.1
     */
    static QPaintDevice *textLayoutDevice();
    /**
     * Stacks one text item per line down column columnIndex, from y below contentTop, each
     * 0.8 of an item's height (MvLayout::LinePitch) below the one before; returns the y
     * (relative to contentTop) below the last line. The items are registered in the column.
     */
    double emitTextList(double y, int columnIndex, const QStringList &lines,
                        const QTextCharFormat &format);
    /**
     * Builds the header band (the title and the right-hand text on the first line, the subtitle
     * below them, a rule) and moves contentTop below it. A text too long for its place (the
     * page's width, or for the title what the right-hand text leaves of their line) is cut with
     * an ellipsis after as much of its first line as fits.
     */
    void createHeader(const QString &titleText, const QString &subtitleText,
                      const QString &rightText);
    /** Builds the footer band (a rule, the page label "- Strona 1 -") and moves contentBottom. */
    void createFooter();
    /** Rewrites the footer's page label for page ("- Strona N -"). */
    void setPageNum(int page);

    int columnCount;                    ///< Columns of the page; 2 or 3 in the renderers.
    QMap<int, QTextCharFormat> formats; ///< Text formats, keyed by MvKeys::Format.
    QMap<int, QPen> pens;               ///< Rule and separator pens, keyed by MvKeys::Pen.
    QGraphicsScene *scene;              ///< The page scene; owned, shared with copies.
    QRect sceneRect;                    ///< The rectangle given to createScene().
    int ppi;                            ///< Scene units per inch (default 120).
    double contentTop;                  ///< Top of the content area, below the header.
    double contentBottom;               ///< Bottom of the content area, above the footer.
    QList<QGraphicsItem *> pageItems;   ///< Items of the page; owned, deleted by flushPageItems().
    QList<QGraphicsItem *> columnItems; ///< Items of the column being filled; owns nothing.
    QGraphicsItem *footerItem;          ///< The footer's page label; owned by the scene.
    bool debugColorizeEnabled;          ///< Whether render() outlines the page items.

private:
    struct Private;
    std::unique_ptr<Private> d;
};

#endif // ASYNCREPORTSHELPER_H
