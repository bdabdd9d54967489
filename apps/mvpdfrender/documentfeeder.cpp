#include "documentfeeder.h"

#include "asyncreportshelper.h"
#include "columnfit.h"
#include "documentgraphics.h"
#include "imageloader.h"
#include "mvconstants.h"
#include "mvkeys.h"
#include "pdfrendererdocuments.h"
#include "qgraphicsimageitem.h"

#include <QGraphicsRectItem>
#include <QImage>
#include <QRegularExpression>

#include <iterator>
#include <utility>

namespace {

using namespace MvKeys;

// The tool's own mark on width hints: a key the renderer never reads.
constexpr int kWidthHintKey = 64;
// The space a document takes besides its items: a gap, the rule and a gap of 1 mm each side.
constexpr double kDocumentGapsMm = 2.0;
// A page has at most three columns; keep a fourth column's worth beyond them.
constexpr int kColumnsAhead = 4;
// A document of more items than this goes in by parts of this many.
constexpr int kPartItems = 512;
// The renderer gives a page two columns for an item wider than a third of the page less this.
constexpr double kThreeColumnReserveMm = 3.0;
// Items are fitted to a column of a two-column page.
constexpr int kFittingColumns = 2;
// What ends a line inside a text item.
const QRegularExpression kLineBreaks(QStringLiteral("[\\n\\x{2028}\\x{2029}]"));

void setHints(QGraphicsItem *item, const ItemInput &input)
{
    if (input.spaced)
        item->setData(SpacedKey, true);
    if (input.tight)
        item->setData(TightKey, true);
    if (input.fullHeight)
        item->setData(FullHeightKey, true);
    if (input.centred)
        item->setData(CentredKey, true);
    if (input.heightFactor)
        item->setData(HeightFactorKey, *input.heightFactor);
}

bool isWidthHint(const QGraphicsItem *item)
{
    return item->data(kWidthHintKey).isValid();
}

} // namespace

DocumentFeeder::DocumentFeeder(QList<DocumentInput> documents, std::optional<int> firstNumber,
                               ImageLoader &images, Notice notice)
    : documents(std::move(documents)), firstNumber(firstNumber), images(images),
      notice(std::move(notice))
{
}

DocumentFeeder::~DocumentFeeder() = default;

int DocumentFeeder::total() const
{
    return documents.size();
}

int DocumentFeeder::placed(PDFRendererDocuments &renderer) const
{
    return next - renderer.documents().size();
}

QString DocumentFeeder::error() const
{
    return failure;
}

bool DocumentFeeder::fail(const QString &reason)
{
    failure = reason;
    return false;
}

bool DocumentFeeder::topUp(PDFRendererDocuments &renderer)
{
    if (!fit)
        fit = std::make_unique<ColumnFit>(renderer.getHlp());
    while (!ample(renderer)) {
        if (openItems > 0) {
            if (!feedOpenDocument(renderer))
                return false;
        } else if (next < documents.size()) {
            if (!startDocument(renderer))
                return false;
        } else {
            break;
        }
    }
    renewWidthHint(renderer);
    return true;
}

// Whether the pending documents are more than a page can take. A column takes at most its
// height, plus one item placed at its top whatever its height.
bool DocumentFeeder::ample(PDFRendererDocuments &renderer) const
{
    AsyncReportsHelper &helper = renderer.getHlp();
    const double gaps = helper.MMTOPT(kDocumentGapsMm);
    double pending = 0.0;
    double tallest = 0.0;
    for (const DocumentGraphics &doc : renderer.documents()) {
        for (QGraphicsItem *item : doc.items) {
            const double slot = PDFRendererDocuments::boundingHeight(item);
            pending += slot;
            tallest = qMax(tallest, slot);
        }
        pending += gaps;
    }
    return pending > kColumnsAhead * (helper.contentHeight() + tallest);
}

bool DocumentFeeder::startDocument(PDFRendererDocuments &renderer)
{
    const int index = next++;
    const DocumentInput &input = documents.at(index);
    AsyncReportsHelper &helper = renderer.getHlp();
    const bool inParts = input.items.size() > kPartItems;
    const int firstPart = inParts ? kPartItems : input.items.size();

    DocumentGraphics doc;
    if (input.number)
        doc.attributes.insert(NumberAttribute, *input.number);
    else if (firstNumber)
        doc.attributes.insert(NumberAttribute, *firstNumber + index);
    if (!input.title.isEmpty())
        doc.attributes.insert(TitleAttribute, input.title);
    double widest = 0.0;
    if (!buildItems(input, 0, firstPart, helper, &doc.items)
        || (inParts && !widestItem(input, helper, &widest))) {
        qDeleteAll(doc.items);
        return false;
    }
    for (const QGraphicsItem *item : qAsConst(doc.items))
        widest = qMax(widest, MvConstants::SCALEDBBSIZE(item).width());
    renderer.appendDoc(doc);

    const double threeColumnLimit = helper.width() / 3.0 - helper.MMTOPT(kThreeColumnReserveMm);
    if (inParts || widest > threeColumnLimit) {
        hintWidths.insert(index, widest);
        renderer.documents().last().items.prepend(widthHint(widest));
    }
    openItems = inParts ? firstPart : 0;
    if (!inParts)
        documents[index] = DocumentInput();   // its items live in the renderer now
    return true;
}

bool DocumentFeeder::feedOpenDocument(PDFRendererDocuments &renderer)
{
    const int index = next - 1;
    const DocumentInput &input = documents.at(index);
    const int to = qMin(openItems + kPartItems, input.items.size());
    QList<QGraphicsItem *> items;
    if (!buildItems(input, openItems, to, renderer.getHlp(), &items)) {
        qDeleteAll(items);
        return false;
    }
    // The document is still pending (more than a page of it always is), so its next part
    // joins it there.
    QList<DocumentGraphics> &pending = renderer.documents();
    if (pending.isEmpty()) {
        DocumentGraphics rest;
        rest.items = items;
        renderer.appendDoc(rest);
    } else {
        pending.last().items.append(items);
    }
    openItems = to;
    if (to == input.items.size()) {
        openItems = 0;
        documents[index] = DocumentInput();
    }
    return true;
}

bool DocumentFeeder::buildItems(const DocumentInput &input, int from, int to,
                                AsyncReportsHelper &helper, QList<QGraphicsItem *> *items)
{
    for (int i = from; i < to; ++i) {
        const ItemInput &itemInput = input.items.at(i);
        if (itemInput.kind == ItemInput::Kind::Image) {
            QGraphicsItem *item = nullptr;
            if (!buildImage(input, i, helper, &item))
                return false;
            items->append(item);
            continue;
        }
        const QTextCharFormat &format = helper.formats[itemInput.format];
        const bool hinted = itemInput.spaced || itemInput.tight || itemInput.fullHeight
                || itemInput.centred || itemInput.heightFactor;
        for (const QString &piece : fitText(itemInput, helper)) {
            // A plain line goes only onto a page: the composer may reuse it afterwards.
            QGraphicsItem *item = hinted ? helper.createTextItemWithFormat(piece, format)
                                         : helper.createPageTextItem(piece, format);
            setHints(item, itemInput);
            items->append(item);
        }
    }
    return true;
}

// The text of an item, or, when one of its lines is wider than a column, its lines cut into
// pieces that fit.
QStringList DocumentFeeder::fitText(const ItemInput &input, AsyncReportsHelper &helper) const
{
    const QTextCharFormat &format = helper.formats[input.format];
    const double limit = fit->columnWidth(kFittingColumns);
    const QStringList lines = input.text.split(kLineBreaks);
    bool fits = true;
    for (const QString &line : lines)
        fits = fits && fit->width(line, format) <= limit;
    if (fits)
        return QStringList{input.text};
    QStringList pieces;
    for (const QString &line : lines)
        pieces += fit->width(line, format) <= limit ? QStringList{line} : fit->cut(line, format, limit);
    return pieces;
}

bool DocumentFeeder::buildImage(const DocumentInput &input, int index, AsyncReportsHelper &helper,
                                QGraphicsItem **item)
{
    const ItemInput &source = input.items.at(index);
    QImage image;
    QString reason;
    if (!images.load(source.imagePath, source.imageName, &image, &reason))
        return fail(QStringLiteral("%1, item %2: %3").arg(input.name).arg(index + 1).arg(reason));
    auto *imageItem = new QGraphicsImageItem(image, nullptr);
    imageItem->setScale(source.scale);
    setHints(imageItem, source);
    // Too wide for a column, or too tall for one: scaled down to fit.
    const double width = PDFRendererDocuments::boundingWidth(imageItem);
    const double slot = PDFRendererDocuments::boundingHeight(imageItem);
    const double factor = qMin(fit->columnWidth(kFittingColumns) / width, helper.contentHeight() / slot);
    if (factor < 1.0) {
        imageItem->setScale(source.scale * factor);
        notice(QStringLiteral("%1, item %2: image \"%3\" scaled from %4 to %5 to fit a column")
               .arg(input.name).arg(index + 1).arg(source.imageName)
               .arg(source.scale, 0, 'g', 4).arg(imageItem->scale(), 0, 'g', 4));
    }
    *item = imageItem;
    return true;
}

// The widest item of a document that goes in by parts, measured before its items are made.
bool DocumentFeeder::widestItem(const DocumentInput &input, AsyncReportsHelper &helper, double *width)
{
    for (int i = 0; i < input.items.size(); ++i) {
        const ItemInput &itemInput = input.items.at(i);
        if (itemInput.kind == ItemInput::Kind::Image) {
            QGraphicsItem *item = nullptr;
            const Notice quiet = std::exchange(notice, [](const QString &) {});
            const bool built = buildImage(input, i, helper, &item);
            notice = quiet;
            if (!built)
                return false;
            *width = qMax(*width, MvConstants::SCALEDBBSIZE(item).width());
            delete item;
            continue;
        }
        const QTextCharFormat &format = helper.formats[itemInput.format];
        for (const QString &piece : fitText(itemInput, helper)) {
            for (const QString &line : piece.split(kLineBreaks))
                *width = qMax(*width, fit->width(line, format));
        }
    }
    return true;
}

// After a page, a document that carries a width hint and continues on the next page gets a
// new hint at the front of its remainder: the old one went with the page.
void DocumentFeeder::renewWidthHint(PDFRendererDocuments &renderer)
{
    QList<DocumentGraphics> &pending = renderer.documents();
    const int first = next - pending.size();
    for (auto it = hintWidths.begin(); it != hintWidths.end();)
        it = it.key() < first ? hintWidths.erase(it) : std::next(it);
    const auto width = hintWidths.constFind(first);
    if (pending.isEmpty() || width == hintWidths.constEnd())
        return;
    QList<QGraphicsItem *> &items = pending.first().items;
    if (items.isEmpty() || !isWidthHint(items.first()))
        items.prepend(widthHint(*width));
}

// An item that takes no height and paints nothing, as wide as the document's widest item.
QGraphicsItem *DocumentFeeder::widthHint(double width) const
{
    auto *hint = new QGraphicsRectItem(0.0, 0.0, width, 0.0);
    hint->setPen(Qt::NoPen);
    hint->setVisible(false);
    hint->setData(kWidthHintKey, true);
    return hint;
}
