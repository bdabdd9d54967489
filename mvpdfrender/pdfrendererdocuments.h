#ifndef PDFRENDERERDOCUMENTS_H
#define PDFRENDERERDOCUMENTS_H

#include "mvpdfrender_global.h"

#include "documentgraphics.h"
#include "mvconstants.h"
#include "pdfrendererbase.h"

#include <QList>
#include <QStringList>

#include <memory>

class QGraphicsItem;

/**
 * \brief Renders a document report.
 *
 * The pending documents run one after another down two or three columns per page, separated
 * by rules, each centred as a block in its column; a document that does not fit continues on
 * the next column or page. Pending items belong to the renderer until a page takes them.
 *
 * Layout hints are read from the items' data: the item data keys of MvKeys::ItemData (spaced,
 * tight, full height, centred, height factor).
 *
 * Every item fits its column, so that no item pushes another off the page. As a page is
 * composed, an item wider than a column of a two-column page, or taller than a column, is
 * fitted: a text item made by the composer (AsyncReportsHelper::createTextItemWithFormat(),
 * appendDoc() of lines, the number header) is continued on items of its own in the document,
 * each holding a piece of its text that fits (cut between graphemes and at line breaks, see
 * PDFRenderer), with its position, scale, colour and layout hints; the original item is
 * deleted once all of its text is in pieces. Any other item (an image, a host's own
 * QGraphicsItem) is scaled down, keeping its aspect ratio, by setScale(): its scale() then
 * reads the smaller value, fitScale() tells it beforehand. A document whose widest item (on a
 * later page, say) is wider than the column it stands in is centred as a block as wide as the
 * column.
 *
 * An item is measured with its children: a composite item (children placed around their
 * parent, outside its own boundingRect()) takes the room of boundingRect() united with
 * childrenBoundingRect(), and stands with all of it inside its slot.
 *
 * Every page places something: a column that is still empty takes the next item, fitted to
 * it, whatever keeping together would prefer, so a report of N items takes at most N pages
 * (N passes of emitPage()).
 *
 * \code
 * void ReceiptsJob::process()
 * {
 *     auto *renderer = new PDFRendererDocuments(this);
 *     DocumentGraphics receipt;
 *     receipt.attributes[MvKeys::NumberAttribute] = 17;
 *     receipt.items << new QGraphicsImageItem(logo);
 *     renderer->appendDoc(receipt);
 *     renderer->appendDoc(QStringList{QStringLiteral("PARAGON"), QStringLiteral("...")});
 *     startRenderer(renderer);
 * }
 * \endcode
 */
class MVPDFRENDER_EXPORT PDFRendererDocuments : public PDFRendererBase
{
public:
    /** A renderer with no documents, for owner. */
    explicit PDFRendererDocuments(AsyncReportsBase *owner);
    /** Deletes the items of the documents still pending. */
    ~PDFRendererDocuments() override;

    /**
     * Takes over the document's items. A numbered document (MvKeys::NumberAttribute) gets a
     * number header ("Dokument nr N") as its first item.
     */
    void appendDoc(const DocumentGraphics &doc);
    /**
     * One document with one text item per line, in the printout format.
     *
     * Without a QApplication neither appendDoc() makes a text item (Qt's text items need one):
     * the document goes in without the number header or the lines, and prepare() refuses the
     * report.
     */
    void appendDoc(const QStringList &lines);
    /** The pending documents, the next to place first. */
    QList<DocumentGraphics> &documents();
    /**
     * Whether 500 or more items are pending, by the counter: a host that feeds documents in
     * parts stops there.
     */
    bool enough() const;

    /**
     * Before prepare(): each document gets an outline entry (a bookmark) that opens the page
     * where it begins, at its top; a document split across columns or pages has one, at its
     * start. Its title is the document's MvKeys::TitleAttribute (read with
     * QVariant::toString(), and only when the outline is on) when that is not empty, else
     * "Dokument nr N" for a numbered document, else "Dokument K", K being its position in
     * the report from 1.
     * \since 1.1
     */
    void setOutlineEnabled(bool on);
    /** Whether each document gets an outline entry. \since 1.1 */
    bool outlineEnabled() const;

    /**
     * Before the first page: keeps documents together as pages are composed. A document's
     * number label never ends a column without the document's first line; a document's first
     * line is not left alone at the foot of a column, nor its last line alone at the top of
     * one, when moving one more line avoids it; a document continued in another column or on
     * another page starts there with a continuation label in the label's format ("Dokument nr
     * N (cd.)" for a numbered one, else its title and "(cd.)", else "Dokument K (cd.)", K its
     * place in the report from 1; a title too long for a column of three is shortened with
     * "…"); and the report's last page holds more than one line when the page before can
     * give one. "Lines" are a document's items other than labels. These rules are preferences
     * that yield, never a reason to stop moving on: an empty column takes the next item
     * whatever they prefer, and an item that fills a column by itself continues there without
     * a label (the two would fit no column). Off by default: documents are then placed as
     * they come.
     * \since 1.1
     */
    void setKeepTogether(bool on);
    /** Whether documents are kept together. \since 1.1 */
    bool keepTogether() const;

    /**
     * After prepare(): the factor by which emitPage() scales item down so that it fits a
     * column (no wider than a column of a two-column page, its slot no taller than a
     * column); 1.0 for an item that fits, and for a text item made by the composer that is
     * continued in pieces instead.
     * \since 1.1
     */
    double fitScale(QGraphicsItem *item) const;

    /** Zeroes the pending item count. */
    void startReport() override;
    /** Writes one page of documents; true when documents remain for another page. */
    bool emitPage(bool) override;

    /**
     * The vertical advance of item in a column (its slot), in scene units; 0 for an item whose
     * measure is no finite number of at least 0 (a host's item with a NaN or inverted
     * rectangle takes no room, and the items after it keep theirs).
     */
    static double boundingHeight(QGraphicsItem *item);
    /** The scaled width of item, in scene units; 0 where boundingHeight() gives 0 for an unmeasurable item. */
    static double boundingWidth(QGraphicsItem *item);
    /** The downward shift of item inside its slot. */
    static double heightTopOffset(QGraphicsItem *item);

protected:
    QList<DocumentGraphics> docs;   ///< Pending, the next to place first.
    qint32 itemCount;               ///< Pending items, by the counting rules.
    double carryWidth;              ///< Block width of the document the previous page split.
    bool carryOver;                 ///< The first pending document is a split remainder.

private:
    struct Private;

    std::unique_ptr<Private> d;
};

#endif // PDFRENDERERDOCUMENTS_H
