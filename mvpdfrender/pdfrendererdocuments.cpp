#include "pdfrendererdocuments.h"

#include "mvkeys.h"

#include <QGraphicsLineItem>
#include <QGraphicsTextItem>

#include <cmath>

namespace {

using namespace MvKeys;

constexpr double kTextHeightFactor = 0.8;
constexpr double kSpacedFactor = 1.4;
constexpr double kTightSpacedFactor = 1.21;
constexpr double kSpacedTopOffset = 0.2;
constexpr int kEnoughItems = 500;
constexpr int kMaxColumns = 3;
// An item wider than a third of the page less this needs a 2-column page.
constexpr double kThreeColumnWidthReserveMm = 3.0;
// Space above and below the rule between two documents.
constexpr double kDocumentGapMm = 1.0;
// The rule stops this short of either column edge.
constexpr double kRuleInsetMm = 2.0;

bool hasKey(const QGraphicsItem *item, int key)
{
    return item->data(key).isValid();
}

double scaledWidth(const QGraphicsItem *item)
{
    return MvConstants::SCALEDBBSIZE(item).width();
}

} // namespace

PDFRendererDocuments::PDFRendererDocuments(AsyncReportsBase *owner)
    : PDFRendererBase(owner), itemCount(0), carryWidth(0.0), carryOver(false)
{
}

PDFRendererDocuments::~PDFRendererDocuments()
{
    for (const DocumentGraphics &doc : qAsConst(docs))
        qDeleteAll(doc.items);
    docs.clear();
}

void PDFRendererDocuments::appendDoc(const DocumentGraphics &doc)
{
    QGraphicsItem *header = nullptr;
    if (doc.attributes.contains(NumberAttribute)) {
        const int number = doc.attributes.value(NumberAttribute).toInt();
        const QString text = QStringLiteral("   Dokument nr %1   ")
                .arg(number, 0, 10, QLatin1Char(' '));
        header = hlp.createTextItemWithFormat(text, hlp.formats[DocumentLabelFormat]);
        header->setData(CentredKey, QVariant(true));
        // Raised by half its height: placement puts its vertical centre on the flow point.
        header->setPos(0.0, -0.5 * MvConstants::SCALEDBBSIZE(header).height());
    }
    docs.append(doc);
    if (header)
        docs.last().items.prepend(header);
    itemCount += doc.items.size();
}

void PDFRendererDocuments::appendDoc(const QStringList &lines)
{
    DocumentGraphics doc;
    const QTextCharFormat format = hlp.formats[PrintoutFormat];
    for (const QString &line : lines)
        doc.items.append(hlp.createTextItemWithFormat(line, format));
    docs.append(std::move(doc));
    itemCount += lines.size();
}

QList<DocumentGraphics> &PDFRendererDocuments::documents()
{
    return docs;
}

bool PDFRendererDocuments::enough() const
{
    return itemCount >= kEnoughItems;
}

void PDFRendererDocuments::startReport()
{
    itemCount = 0;
    documentsStarted = 0;
    firstDocumentStarted = false;
}

void PDFRendererDocuments::setOutlineEnabled(bool on)
{
    requestOutline(on);
}

bool PDFRendererDocuments::outlineEnabled() const
{
    return outlineRequested();
}

QString PDFRendererDocuments::outlineTitle(const DocumentGraphics &doc) const
{
    const QString title = doc.attributes.value(TitleAttribute).toString();
    if (!title.isEmpty())
        return title;
    if (doc.attributes.contains(NumberAttribute))
        return QStringLiteral("Dokument nr %1").arg(doc.attributes.value(NumberAttribute).toInt());
    return QStringLiteral("Dokument %1").arg(documentsStarted + 1);
}

double PDFRendererDocuments::boundingHeight(QGraphicsItem *item)
{
    const double height = MvConstants::SCALEDBBSIZE(item).height();
    if (item->type() == QGraphicsTextItem::Type && dynamic_cast<QGraphicsTextItem *>(item)
        && !hasKey(item, FullHeightKey)) {
        const QVariant factor = item->data(HeightFactorKey);
        return height * (factor.isValid() ? factor.toReal() : kTextHeightFactor);
    }
    if (hasKey(item, SpacedKey))
        return height * (hasKey(item, TightKey) ? kTightSpacedFactor : kSpacedFactor);
    return height;
}

double PDFRendererDocuments::boundingWidth(QGraphicsItem *item)
{
    return scaledWidth(item);
}

double PDFRendererDocuments::heightTopOffset(QGraphicsItem *item)
{
    if (!hasKey(item, SpacedKey))
        return 0.0;
    return kSpacedTopOffset * MvConstants::SCALEDBBSIZE(item).height();
}

bool PDFRendererDocuments::emitPage(bool)
{
    if (docs.isEmpty())
        return false;

    hlp.setColumnCount(fitsThreeColumns() ? 3 : 2);
    const PageEnd end = placeDocuments();
    removePlaced(end);

    hlp.columnSeparators();
    hlp.render(output.painter(), output.pageRect());
    hlp.flushPageItemsForReuse();
    if (docs.isEmpty())
        return false;
    output.newPage();
    ++pageNum;
    hlp.setPageNum(pageNum);
    return true;
}

// Estimates the items three columns would take on this page and tests their widths.
bool PDFRendererDocuments::fitsThreeColumns() const
{
    const double limit = hlp.width() / 3.0 - hlp.MMTOPT(kThreeColumnWidthReserveMm);
    const double contentHeight = hlp.contentHeight();
    const double gap = hlp.MMTOPT(kDocumentGapMm);
    const int lastColumn = kMaxColumns - 1;
    int column = 0;
    double used = 0.0;
    for (const DocumentGraphics &doc : docs) {
        for (QGraphicsItem *item : doc.items) {
            const double slot = boundingHeight(item);
            if (slot + used > contentHeight) {
                if (column == lastColumn)
                    break;
                ++column;
                used = 0.0;
                continue;
            }
            used += slot;
            if (scaledWidth(item) > limit)
                return false;
        }
        if (gap + used > contentHeight) {
            if (column == lastColumn)
                return true;
            ++column;
            used = 0.0;
        } else {
            used += gap;
        }
    }
    return true;
}

PDFRendererDocuments::PageEnd PDFRendererDocuments::placeDocuments()
{
    const double contentHeight = hlp.contentHeight();
    const double gap = hlp.MMTOPT(kDocumentGapMm);
    const int lastColumn = hlp.getColumnCount() - 1;
    int column = 0;
    double used = 0.0;
    PageEnd end;
    QList<QGraphicsItem *> part;
    const bool firstStarted = firstDocumentStarted;
    firstDocumentStarted = false;

    const bool outlined = outlineRequested();
    for (int d = 0; d < docs.size(); ++d) {
        const DocumentGraphics &doc = docs.at(d);
        const double blockWidth = blockWidthOf(doc);
        // Whether this document's outline entry is still to be made, at its first item placed.
        bool startsHere = outlined && !(d == 0 && firstStarted);
        if (startsHere && doc.items.isEmpty()) {
            addOutlineEntry(outlineTitle(doc), hlp.contentTop + used);
            ++documentsStarted;
            startsHere = false;
        }
        for (int i = 0; i < doc.items.size(); ++i) {
            QGraphicsItem *item = doc.items.at(i);
            const double slot = boundingHeight(item);
            if (slot + used > contentHeight) {
                if (column == lastColumn) {
                    end = {d, i, true};
                    carryOver = true;
                    carryWidth = blockWidth;
                    break;
                }
                ++column;
                used = 0.0;
            }
            placeItem(item, column, used, blockWidth);
            if (startsHere) {
                addOutlineEntry(outlineTitle(doc), item->sceneBoundingRect().top());
                ++documentsStarted;
                startsHere = false;
            }
            part.append(item);
            used += slot;
            hlp.appendToColumn(item);
        }
        hlp.centerPart(part, blockWidth);
        part.clear();
        if (end.full) {
            // The split document continues on the next page; its entry, if made, stays here.
            firstDocumentStarted = outlined && !startsHere;
            break;
        }

        if (gap + used > contentHeight) {
            if (column == lastColumn) {
                end = {d, -1, false};
                carryOver = false;
                break;
            }
            ++column;
            used = 0.0;
        } else {
            used += gap;
            drawSeparator(column, hlp.contentTop + used);
            used += gap;
        }
    }
    return end;
}

// The widest scaled item of the document, placed on this page or not; a split remainder
// starts from the width its document had on the page before.
double PDFRendererDocuments::blockWidthOf(const DocumentGraphics &doc)
{
    double width = carryOver ? carryWidth : 0.0;
    carryWidth = 0.0;
    for (const QGraphicsItem *item : doc.items)
        width = qMax(width, scaledWidth(item));
    return width;
}

void PDFRendererDocuments::placeItem(QGraphicsItem *item, int column, double used,
                                     double blockWidth)
{
    double offset = 0.0;
    if (hasKey(item, CentredKey))
        offset = std::trunc((blockWidth - scaledWidth(item)) * 0.5);
    item->moveBy(hlp.columnOffset(column) + offset,
                 heightTopOffset(item) + used + hlp.contentTop);
}

void PDFRendererDocuments::drawSeparator(int column, double y)
{
    const double inset = hlp.MMTOPT(kRuleInsetMm);
    auto *rule = new QGraphicsLineItem;
    rule->setPen(hlp.pens[DocumentSeparatorPen]);
    rule->setLine(hlp.columnOffset(column) + inset, y, hlp.columnOffset(column + 1) - inset, y);
    hlp.appendToPage(rule);
}

void PDFRendererDocuments::removePlaced(const PageEnd &end)
{
    if (end.document < 0) {
        // Every pending document was placed: the page owns all their items now.
        carryOver = false;
        docs.clear();
        return;
    }
    const int wholeDocuments = end.full ? end.document : end.document + 1;
    for (int d = 0; d < wholeDocuments && !docs.isEmpty(); ++d)
        removeFirstDocument();
    if (!end.full)
        return;
    for (int i = 0; i < end.item && !docs.isEmpty() && !docs.first().items.isEmpty(); ++i) {
        docs.first().items.removeFirst();
        --itemCount;
    }
}

void PDFRendererDocuments::removeFirstDocument()
{
    itemCount -= docs.first().items.size();
    docs.removeFirst();
}
