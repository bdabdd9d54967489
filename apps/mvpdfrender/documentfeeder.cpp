#include "documentfeeder.h"

#include "asyncreportshelper.h"
#include "documentgraphics.h"
#include "imageloader.h"
#include "mvkeys.h"
#include "tool.h"
#include "pdfrendererdocuments.h"
#include "qgraphicsimageitem.h"

#include <QImage>

namespace {

using namespace MvKeys;

// A page has at most three columns; keep a fourth column's worth beyond them.
constexpr int kColumnsAhead = 4;
// A document of more items than this goes in by parts of this many.
constexpr int kPartItems = 512;

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
    countPending(renderer);
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
    return true;
}

void DocumentFeeder::Pending::add(const QList<QGraphicsItem *> &items)
{
    this->items += items.size();
    for (QGraphicsItem *item : items) {
        const double slot = PDFRendererDocuments::boundingHeight(item);
        height += slot;
        tallest = qMax(tallest, slot);
    }
}

void DocumentFeeder::Pending::add(const Pending &other)
{
    items += other.items;
    height += other.height;
    tallest = qMax(tallest, other.tallest);
}

void DocumentFeeder::countPending(PDFRendererDocuments &renderer)
{
    const QList<DocumentGraphics> &documentsPending = renderer.documents();
    // The renderer takes documents from the front of its list.
    while (appended.size() > documentsPending.size())
        appended.removeFirst();
    if (appended.size() < documentsPending.size()) {
        // Documents not of the feeder's own: count all again.
        appended.clear();
        for (int i = 0; i < documentsPending.size(); ++i)
            appended.append(Pending());
    }
    pending = Pending();
    for (int i = 0; i < documentsPending.size(); ++i) {
        const QList<QGraphicsItem *> &items = documentsPending.at(i).items;
        if (i == 0 || appended.at(i).items != items.size()) {
            appended[i] = Pending();
            appended[i].add(items);
        }
        pending.add(appended.at(i));
    }
}

// Whether the pending documents are more than a page can take. A column takes at most its
// height, plus one item placed at its top whatever its height. The items' slots alone are
// counted (not the gaps between documents, nor the lines a text too wide for a column will be
// continued on), which only ever keeps more pending.
bool DocumentFeeder::ample(PDFRendererDocuments &renderer) const
{
    return pending.height > kColumnsAhead * (renderer.getHlp().contentHeight() + pending.tallest);
}

bool DocumentFeeder::startDocument(PDFRendererDocuments &renderer)
{
    const int index = next++;
    const DocumentInput &input = documents.at(index);
    const bool inParts = input.items.size() > kPartItems;
    const int firstPart = inParts ? kPartItems : input.items.size();

    DocumentGraphics doc;
    if (input.number)
        doc.attributes.insert(NumberAttribute, *input.number);
    else if (firstNumber)
        doc.attributes.insert(NumberAttribute, *firstNumber + index);
    if (!input.title.isEmpty())
        doc.attributes.insert(TitleAttribute, input.title);
    if (!buildItems(input, 0, firstPart, renderer, &doc.items)) {
        qDeleteAll(doc.items);
        return false;
    }
    renderer.appendDoc(doc);
    Pending added;
    added.add(renderer.documents().constLast().items);   // with its number label
    appended.append(added);
    pending.add(added);
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
    if (!buildItems(input, openItems, to, renderer, &items)) {
        qDeleteAll(items);
        return false;
    }
    // The document is still pending (more than a page of it always is), so its next part
    // joins it there.
    QList<DocumentGraphics> &documentsPending = renderer.documents();
    Pending added;
    added.add(items);
    if (documentsPending.isEmpty()) {
        DocumentGraphics rest;
        rest.items = items;
        renderer.appendDoc(rest);
        appended.append(added);
    } else {
        documentsPending.last().items.append(items);
        appended.last().add(added);
    }
    pending.add(added);
    openItems = to;
    if (to == input.items.size()) {
        openItems = 0;
        documents[index] = DocumentInput();
    }
    return true;
}

bool DocumentFeeder::buildItems(const DocumentInput &input, int from, int to,
                                PDFRendererDocuments &renderer, QList<QGraphicsItem *> *items)
{
    AsyncReportsHelper &helper = renderer.getHlp();
    for (int i = from; i < to; ++i) {
        const ItemInput &itemInput = input.items.at(i);
        if (itemInput.kind == ItemInput::Kind::Image) {
            QGraphicsItem *item = nullptr;
            if (!buildImage(input, i, renderer, &item))
                return false;
            items->append(item);
            continue;
        }
        const QTextCharFormat &format = helper.formats[itemInput.format];
        // A line goes only onto a page: the composer may reuse it afterwards.
        QGraphicsItem *item = helper.createPageTextItem(itemInput.text, format);
        setHints(item, itemInput);
        items->append(item);
    }
    return true;
}

bool DocumentFeeder::buildImage(const DocumentInput &input, int index,
                                PDFRendererDocuments &renderer, QGraphicsItem **item)
{
    const ItemInput &source = input.items.at(index);
    QImage image;
    QString reason;
    if (!images.load(source.imagePath, source.imageName, &image, &reason))
        return fail(Tool::tr("%1, item %2: %3").arg(input.name).arg(index + 1).arg(reason));
    auto *imageItem = new QGraphicsImageItem(image, nullptr);
    imageItem->setScale(source.scale);
    setHints(imageItem, source);
    const double factor = renderer.fitScale(imageItem);
    if (factor < 1.0) {
        notice(Tool::tr("%1, item %2: image \"%3\" scaled from %4 to %5 to fit a column")
               .arg(input.name).arg(index + 1).arg(source.imageName)
               .arg(Tool::locale().toString(source.scale, 'g', 4), Tool::locale().toString(source.scale * factor, 'g', 4)));
    }
    *item = imageItem;
    return true;
}
