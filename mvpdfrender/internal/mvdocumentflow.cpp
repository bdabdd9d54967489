#include "mvdocumentflow.h"

#include "asyncreportshelper.h"
#include "mvcolumnwalker.h"
#include "mvconstants.h"
#include "mvkeys.h"
#include "mvlayout.h"
#include "mvreporttexts.h"
#include "mvtextitem.h"
#include "mvtextlayout.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QGraphicsLineItem>
#include <QGraphicsTextItem>

#include <cmath>

namespace {

using namespace MvKeys;

constexpr double kSpacedFactor = 1.4;
constexpr double kTightSpacedFactor = 1.21;
constexpr double kSpacedTopOffset = 0.2;
constexpr int kMaxColumns = 3;
// Items are fitted to a column of a page of this many columns, the widest a column gets.
constexpr int kFittingColumns = 2;
// A scale factor this close to 1 leaves an item as it is: it fits, give or take rounding.
constexpr double kScaleTolerance = 1e-9;
// The most of a title a continuation label measures: more than a column of the narrowest
// format shows (the label is shortened with an ellipsis to its column anyway).
constexpr int kLongestLabelName = 512;

bool hasKey(const QGraphicsItem *item, int key)
{
    return item->data(key).isValid();
}

// A measure that is no finite number of at least 0 takes no room.
double room(double measure)
{
    return std::isfinite(measure) && measure > 0.0 ? measure : 0.0;
}

// How far the children of a composite item reach above and to the left of the item's own
// rectangle, in scene units: the item is placed that much further in, so that all of it
// stands in its slot.
QPointF childrenReach(const QGraphicsItem *item)
{
    const QRectF own = item->boundingRect();
    const QRectF children = item->childrenBoundingRect();
    if (children.isNull())
        return QPointF();
    const QRectF all = own | children;
    const QPointF reach = (own.topLeft() - all.topLeft()) * item->scale();
    return std::isfinite(reach.x()) && std::isfinite(reach.y()) ? reach : QPointF();
}

// Text items need the widgets' application object; without one no report is made anyway
// (prepare() refuses it), and a text item is not even made.
bool canMakeTextItems()
{
    return qobject_cast<QApplication *>(QCoreApplication::instance()) != nullptr;
}

// A text item of the composer's, whose text and format it keeps.
MvTextItem *composerText(QGraphicsItem *item)
{
    return item->type() == QGraphicsTextItem::Type ? dynamic_cast<MvTextItem *>(item) : nullptr;
}

} // namespace

MvDocumentFlow::MvDocumentFlow(AsyncReportsHelper &helper, const Fields &fields, OutlineEntry addEntry)
    : hlp(helper), docs(fields.docs), itemCount(fields.itemCount), carryWidth(fields.carryWidth),
      carryOver(fields.carryOver), addEntry(std::move(addEntry)), fitter(helper)
{
}

void MvDocumentFlow::append(const DocumentGraphics &doc)
{
    QGraphicsItem *header = nullptr;
    if (doc.attributes.contains(NumberAttribute) && canMakeTextItems()) {
        const int number = doc.attributes.value(NumberAttribute).toInt();
        header = hlp.createPageTextItem(MvReportTexts::numberHeader(number), hlp.formats[DocumentLabelFormat]);
        header->setData(CentredKey, QVariant(true));
        // Raised by half its height: placement puts its vertical centre on the flow point.
        header->setPos(0.0, -0.5 * MvConstants::SCALEDBBSIZE(header).height());
        labels.insert(header);
    }
    docs.append(doc);
    if (header)
        docs.last().items.prepend(header);
    itemCount += doc.items.size();
}

void MvDocumentFlow::append(const QStringList &lines)
{
    DocumentGraphics doc;
    const QTextCharFormat format = hlp.formats[PrintoutFormat];
    for (const QString &line : lines) {
        if (canMakeTextItems())
            doc.items.append(hlp.createTextItemWithFormat(line, format));
    }
    docs.append(std::move(doc));
    itemCount += lines.size();
}

void MvDocumentFlow::restart()
{
    itemCount = 0;
    documentsStarted = 0;
    documentsDone = 0;
    firstDocumentStarted = false;
}

QString MvDocumentFlow::outlineTitle(const DocumentGraphics &doc) const
{
    const QString title = doc.attributes.value(TitleAttribute).toString();
    if (!title.isEmpty())
        return title;
    if (doc.attributes.contains(NumberAttribute))
        return MvReportTexts::numberedDocument(doc.attributes.value(NumberAttribute).toInt());
    return MvReportTexts::nthDocument(documentsStarted + 1);
}

double MvDocumentFlow::boundingHeight(QGraphicsItem *item)
{
    const double height = MvConstants::SCALEDBBSIZE(item).height();
    if (item->type() == QGraphicsTextItem::Type && dynamic_cast<QGraphicsTextItem *>(item)
        && !hasKey(item, FullHeightKey)) {
        const QVariant factor = item->data(HeightFactorKey);
        return room(height * (factor.isValid() ? factor.toReal() : MvLayout::LinePitch));
    }
    if (hasKey(item, SpacedKey))
        return room(height * (hasKey(item, TightKey) ? kTightSpacedFactor : kSpacedFactor));
    return room(height);
}

double MvDocumentFlow::scaledWidth(const QGraphicsItem *item)
{
    return room(MvConstants::SCALEDBBSIZE(item).width());
}

double MvDocumentFlow::heightTopOffset(QGraphicsItem *item)
{
    if (!hasKey(item, SpacedKey))
        return 0.0;
    return room(kSpacedTopOffset * MvConstants::SCALEDBBSIZE(item).height());
}

void MvDocumentFlow::composePage(bool outlined)
{
    hlp.setColumnCount(fitsThreeColumns() ? kMaxColumns : kFittingColumns);
    removePlaced(placeDocuments(outlined));
}

// Walks the flow three columns would take on this page and tests the widths of the items it
// reaches, fitting them to their columns first. An item that opens a column is tested
// against the column's own width: it stands at that column's top.
bool MvDocumentFlow::fitsThreeColumns()
{
    const double columnWidth = hlp.width() / kMaxColumns;
    const double limit = columnWidth - hlp.MMTOPT(MvLayout::ThreeColumnReserveMm);
    MvColumnWalker walker(kMaxColumns, hlp.contentHeight(), hlp.MMTOPT(MvLayout::DocumentGapMm));
    for (int doc = 0; doc < docs.size(); ++doc) {
        QList<QGraphicsItem *> &items = docs[doc].items;
        for (int i = 0; i < items.size(); ++i) {
            double slot = 0.0;
            QGraphicsItem *item = fitItem(items, i, &slot);
            double widest = limit;
            if (!walker.fits(slot) && walker.used() > 0.0) {
                if (!walker.nextColumn())
                    return true;
                widest = columnWidth;
            }
            walker.take(slot);
            if (scaledWidth(item) > widest)
                return false;
        }
        double ruleAt = 0.0;
        if (walker.endDocument(&ruleAt) == MvColumnWalker::Gap::PageFull)
            return true;
    }
    return true;
}

MvDocumentFlow::PageEnd MvDocumentFlow::placeDocuments(bool outlined)
{
    MvColumnWalker walker(hlp.getColumnCount(), hlp.contentHeight(), hlp.MMTOPT(MvLayout::DocumentGapMm));
    const bool firstStarted = firstDocumentStarted;
    firstDocumentStarted = false;
    for (int doc = 0; doc < docs.size(); ++doc) {
        const PageEnd end = placeDocument(doc, walker, outlined, outlined && !(doc == 0 && firstStarted));
        if (end.full)
            return end;
        double ruleAt = 0.0;
        switch (walker.endDocument(&ruleAt)) {
        case MvColumnWalker::Gap::Rule:
            drawSeparator(walker.column(), hlp.contentTop + ruleAt);
            break;
        case MvColumnWalker::Gap::NextColumn:
            break;
        case MvColumnWalker::Gap::PageFull:
            carryOver = false;
            return {doc, -1, false};
        }
    }
    return {};
}

// Places document doc from where the walker stands, on as many columns as the page has left.
// A document that does not end on this page leaves the rest pending (a full PageEnd).
MvDocumentFlow::PageEnd MvDocumentFlow::placeDocument(int doc, MvColumnWalker &walker, bool outlined,
                                                      bool entryDue)
{
    const double blockWidth = blockWidthOf(doc);
    carryWidth = 0.0;
    // A block wider than the column (an item further on, not yet fitted, is wider) is centred
    // as one as wide as the column: none of its items stands out of the column.
    const double centredWidth = qMin(blockWidth, hlp.width() / hlp.getColumnCount());
    // The outline entry is made at the first visible item placed (an invisible one may stand
    // pages before what a reader sees), or where the document began if it shows nothing.
    Placing placing{doc, centredWidth, outlined, entryDue, hlp.contentTop + walker.used(), {}};
    PageEnd end;
    // Fitting cuts text into pieces and keeping together inserts labels: the document grows.
    // A document without items takes no room.
    for (int next = 0; next < docs.at(doc).items.size();) {
        next = placeRun(placing, walker, next);
        if (next >= docs.at(doc).items.size())
            break;
        // The document goes on in the next column, or on the next page.
        if (keepTogether && next > 0)
            insertContinuationLabel(doc, next);
        if (!walker.nextColumn()) {
            end = {doc, next, true};
            carryOver = true;
            carryWidth = blockWidth;
            break;
        }
    }
    hlp.centerPart(placing.part, centredWidth);
    if (end.full) {
        // The document continues on the next page; its entry, if made, stays here.
        firstDocumentStarted = outlined && !placing.entryDue;
    } else if (placing.entryDue) {
        startEntry(placing, placing.beganAt);
    }
    return end;
}

// Places the items of the document from next on that its column takes; returns the index of
// the first item left.
int MvDocumentFlow::placeRun(Placing &placing, MvColumnWalker &walker, int next)
{
    QList<QGraphicsItem *> &items = docs[placing.doc].items;
    int count = itemsFitting(items, next, walker.used());
    if (keepTogether)
        count = keptInColumn(placing.doc, next, count, walker.used(), walker.isLastColumn());
    // Keeping together yields: an empty column always takes the next item (fitted to it), so
    // that every column of every page places something.
    if (count == 0 && walker.used() <= 0.0)
        count = 1;
    for (const int last = next + count; next < last; ++next) {
        QGraphicsItem *item = items.at(next);
        placeItem(item, walker.column(), walker.used(), placing.centredWidth);
        // Where a reader sees it begin (its slot, for an item that cannot be measured).
        const double shownTop = item->sceneBoundingRect().top();
        const double top = std::isfinite(shownTop) ? shownTop : hlp.contentTop + walker.used();
        if (next == 0)
            placing.beganAt = top;
        if (placing.entryDue && item->isVisible())
            startEntry(placing, top);
        placing.part.append(item);
        walker.take(boundingHeight(item));
        labels.remove(item);
        hlp.appendToColumn(item);
    }
    return next;
}

void MvDocumentFlow::startEntry(Placing &placing, double top)
{
    addEntry(outlineTitle(docs.at(placing.doc)), top);
    ++documentsStarted;
    placing.entryDue = false;
}

// How many of items, from `from`, fit in the column below used, each fitted to the column
// first.
int MvDocumentFlow::itemsFitting(QList<QGraphicsItem *> &items, int from, double used)
{
    const double contentHeight = hlp.contentHeight();
    int count = 0;
    for (int i = from; i < items.size(); ++i) {
        double slot = 0.0;
        fitItem(items, i, &slot);
        if (slot + used > contentHeight)
            break;
        used += slot;
        ++count;
    }
    return count;
}

// The lines (items other than labels) among items [from, to), counted up to atMost: the
// rules only ever ask for a few, and a document may hold a million.
int MvDocumentFlow::linesIn(const QList<QGraphicsItem *> &items, int from, int to, int atMost) const
{
    int lines = 0;
    for (int i = from; i < to && lines < atMost; ++i)
        lines += labels.contains(items.at(i)) ? 0 : 1;
    return lines;
}

// How many of the `fitting` items of document doc from `from` its column keeps, so that the
// document stays together: its last line does not stand alone in the next column, nor (in
// the page's last column) the report's last line alone on the next page, when the column can
// give one more item; and a document that begins below others keeps at least two lines there
// (one, if it has but one), or begins in the next column, its label with it.
int MvDocumentFlow::keptInColumn(int doc, int from, int fitting, double used, bool lastColumn)
{
    const QList<QGraphicsItem *> &items = docs.at(doc).items;
    const int size = items.size();
    int kept = fitting;
    // Giving an item to what follows is allowed where the column still shows a line of the
    // document, or where the document begins below others and moves on whole.
    const auto canGiveOne = [&]() {
        return kept > 0 && (linesIn(items, from, from + kept - 1, 1) > 0 || (from == 0 && used > 0.0));
    };
    if (from + kept < size) {
        if (linesIn(items, from + kept, size, 2) == 1 && canGiveOne())
            --kept;
    } else if (lastColumn && oneLineAfter(doc) && !followerFits(doc, used, from) && canGiveOne()) {
        // The last line of the report would stand alone on the last page.
        --kept;
    }
    if (from == 0 && used > 0.0 && kept < size
        && linesIn(items, 0, kept, 2) < linesIn(items, 0, size, 2))
        kept = 0;
    return kept;
}

// Whether the documents after doc hold a single line between them.
bool MvDocumentFlow::oneLineAfter(int doc) const
{
    int lines = 0;
    for (int later = doc + 1; later < docs.size() && lines < 2; ++later)
        lines += linesIn(docs.at(later).items, 0, docs.at(later).items.size(), 2 - lines);
    return lines == 1;
}

// Whether the document after doc, the last pending, fits below it in its column, doc's
// items from `from` on standing there below used.
bool MvDocumentFlow::followerFits(int doc, double used, int from)
{
    MvColumnWalker walker(1, hlp.contentHeight(), hlp.MMTOPT(MvLayout::DocumentGapMm));
    walker.take(used);
    const QList<QGraphicsItem *> &items = docs.at(doc).items;
    for (int i = from; i < items.size(); ++i)
        walker.take(boundingHeight(items.at(i)));
    double ruleAt = 0.0;
    if (walker.endDocument(&ruleAt) != MvColumnWalker::Gap::Rule)
        return false;
    QList<QGraphicsItem *> &follower = docs[doc + 1].items;
    return itemsFitting(follower, 0, walker.used()) == follower.size();
}

// Puts a continuation label in front of item `at` of document doc, which goes on in another
// column or page. An item that fills a column by itself gets no label: with one it would fit
// no column.
void MvDocumentFlow::insertContinuationLabel(int doc, int at)
{
    if (!canMakeTextItems())
        return;
    QGraphicsItem *label = continuationLabel(continuedName(doc));
    double slot = 0.0;
    fitItem(docs[doc].items, at, &slot);
    if (boundingHeight(label) + slot > hlp.contentHeight()) {
        delete label;
        return;
    }
    label->setData(CentredKey, QVariant(true));
    labels.insert(label);
    docs[doc].items.insert(at, label);
    ++itemCount;
}

// A continued document is named as the reader saw it begin: by its number label, else by its
// title (as much of it as a column could ever show, so that a label costs the same whatever
// the title's length), else by its place in the report.
QString MvDocumentFlow::continuedName(int doc) const
{
    const DocumentGraphics &document = docs.at(doc);
    if (document.attributes.contains(NumberAttribute))
        return MvReportTexts::numberedDocument(document.attributes.value(NumberAttribute).toInt());
    const QString title = document.attributes.value(TitleAttribute).toString().left(kLongestLabelName);
    return title.isEmpty() ? MvReportTexts::nthDocument(documentsDone + doc + 1) : title;
}

// "NAME (cd.)", its name shortened with an ellipsis when the label is too wide for the
// narrowest column: it may land in the next column of a page whose columns are already set.
QGraphicsItem *MvDocumentFlow::continuationLabel(const QString &name) const
{
    const QTextCharFormat &format = hlp.formats[DocumentLabelFormat];
    QGraphicsItem *label = hlp.createPageTextItem(MvReportTexts::continued(name), format);
    const double limit = hlp.width() / kMaxColumns - hlp.MMTOPT(MvLayout::ThreeColumnReserveMm);
    if (scaledWidth(label) <= limit)
        return label;
    const QFontMetricsF metrics(format.font(), MvTextLayout::device());
    const double step = qMax(metrics.averageCharWidth(), 1.0);
    // Narrower by what the label overflows, then a character's width at a time.
    for (double nameWidth = metrics.horizontalAdvance(name) - (scaledWidth(label) - limit);
         scaledWidth(label) > limit && nameWidth > 0.0; nameWidth -= step) {
        delete label;
        label = hlp.createPageTextItem(
                MvReportTexts::continued(metrics.elidedText(name, Qt::ElideRight, nameWidth)), format);
    }
    return label;
}

// The widest item of a pending document, placed on this page or not; a split remainder starts
// from the width its document had on the page before.
double MvDocumentFlow::blockWidthOf(int document) const
{
    double width = document == 0 && carryOver ? carryWidth : 0.0;
    for (const QGraphicsItem *item : docs.at(document).items)
        width = qMax(width, scaledWidth(item));
    return width;
}

// The width of a column of a two-column page, which every item is fitted to.
double MvDocumentFlow::fitWidth() const
{
    return hlp.width() / kFittingColumns;
}

double MvDocumentFlow::fitScale(QGraphicsItem *item) const
{
    if (!hlp.scene || continuedInPieces(item))
        return 1.0;
    double slot = 0.0;
    return fitFactor(item, &slot);
}

// The factor by which item is scaled down to fit a column, with the item's slot at its present
// scale (measured on the way, as callers need it next).
double MvDocumentFlow::fitFactor(QGraphicsItem *item, double *slot) const
{
    double factor = 1.0;
    const double width = scaledWidth(item);
    if (width > fitWidth())
        factor = fitWidth() / width;
    *slot = boundingHeight(item);
    if (*slot > hlp.contentHeight())
        factor = qMin(factor, hlp.contentHeight() / *slot);
    return factor < 1.0 - kScaleTolerance ? factor : 1.0;
}

// Whether item is a text item of the composer's that is cut into pieces to fit: wider than a
// column, or taller and holding line breaks; or one already being cut.
bool MvDocumentFlow::continuedInPieces(QGraphicsItem *item) const
{
    const MvTextItem *text = composerText(item);
    if (!text)
        return false;
    if (text->cutFrom > 0 || scaledWidth(item) > fitWidth())
        return true;
    // (The text first: it is at hand, where measuring the item reads its data.)
    return MvTextFitter::hasLineBreak(text->text) && boundingHeight(item) > hlp.contentHeight();
}

// Makes the item at index fit a column; returns the item that stands there then, and its slot.
QGraphicsItem *MvDocumentFlow::fitItem(QList<QGraphicsItem *> &items, int index, double *slot)
{
    QGraphicsItem *item = items.at(index);
    bool inPieces = continuedInPieces(item);
    if (inPieces) {
        item = takePiece(items, index);
        inPieces = continuedInPieces(item);
    }
    // A piece of a single line in a format taller than a column is scaled down too.
    const bool fitted = hlp.scene && !inPieces;
    double height = 0.0;
    const double factor = fitted ? fitFactor(item, &height) : 1.0;
    if (factor < 1.0)
        item->setScale(item->scale() * factor);
    *slot = fitted && factor >= 1.0 ? height : boundingHeight(item);
    return item;
}

// Puts the next piece of the composer's text item at index in front of it; the item goes
// once its last piece is made. Returns the piece.
QGraphicsItem *MvDocumentFlow::takePiece(QList<QGraphicsItem *> &items, int index)
{
    auto *text = static_cast<MvTextItem *>(items.at(index));
    int next = 0;
    QGraphicsItem *piece = fitter.takePiece(text->text, text->cutFrom, text->format,
                                            fitWidth() / text->scale(), text->recyclable, &next);
    piece->setPos(text->pos());
    piece->setScale(text->scale());
    // A page item keeps the default colour (the composer reuses it for other texts).
    if (!text->recyclable)
        static_cast<QGraphicsTextItem *>(piece)->setDefaultTextColor(text->defaultTextColor());
    for (const ItemData key : MvTextItem::LayoutHints) {
        if (hasKey(text, key))
            piece->setData(key, text->data(key));
    }
    items.insert(index, piece);
    ++itemCount;
    // The pieces of a label (a long title's) are labels too.
    const bool label = labels.contains(text);
    if (label)
        labels.insert(piece);
    if (next < text->text.size()) {
        text->cutFrom = next;
        return piece;
    }
    items.removeAt(index + 1);
    --itemCount;
    if (label)
        labels.remove(text);
    delete text;
    return piece;
}

void MvDocumentFlow::placeItem(QGraphicsItem *item, int column, double used, double blockWidth)
{
    // An item wider than its column (one the page's column estimate did not reach, fitted to
    // a column of two) is scaled down to the column rather than stand out of it; it then takes
    // less than the room it was given.
    const double columnWidth = hlp.width() / hlp.getColumnCount();
    const double width = scaledWidth(item);
    if (width > columnWidth * (1.0 + kScaleTolerance))
        item->setScale(item->scale() * columnWidth / width);
    double offset = 0.0;
    if (hasKey(item, CentredKey))
        offset = std::trunc((blockWidth - scaledWidth(item)) * 0.5);
    const QPointF reach = childrenReach(item);
    item->moveBy(hlp.columnOffset(column) + offset + reach.x(),
                 heightTopOffset(item) + used + hlp.contentTop + reach.y());
}

void MvDocumentFlow::drawSeparator(int column, double y)
{
    const double inset = hlp.MMTOPT(MvLayout::RuleInsetMm);
    auto *rule = new QGraphicsLineItem;
    rule->setPen(hlp.pens[DocumentSeparatorPen]);
    rule->setLine(hlp.columnOffset(column) + inset, y, hlp.columnOffset(column + 1) - inset, y);
    hlp.appendToPage(rule);
}

void MvDocumentFlow::removePlaced(const PageEnd &end)
{
    if (end.document < 0) {
        // Every pending document was placed: the page owns all their items now.
        carryOver = false;
        documentsDone += docs.size();
        docs.clear();
        return;
    }
    const int wholeDocuments = end.full ? end.document : end.document + 1;
    for (int placed = 0; placed < wholeDocuments && !docs.isEmpty(); ++placed)
        removeFirstDocument();
    if (!end.full)
        return;
    for (int i = 0; i < end.item && !docs.isEmpty() && !docs.first().items.isEmpty(); ++i) {
        docs.first().items.removeFirst();
        --itemCount;
    }
}

void MvDocumentFlow::removeFirstDocument()
{
    itemCount -= docs.first().items.size();
    docs.removeFirst();
    ++documentsDone;
}
