#include "documentfeeder.h"

#include "asyncreportshelper.h"
#include "documentgraphics.h"
#include "pdfrendererdocuments.h"
#include "qgraphicsimageitem.h"

#include <QImage>

namespace {

enum ItemDataKey { SpacedKey = 2, TightKey = 3, FullHeightKey = 4, CentredKey = 5,
                   HeightFactorKey = 8 };
// The space a document takes besides its items: a gap, the rule and a gap of 1 mm each side.
constexpr double kDocumentGapsMm = 2.0;
// A page has at most three columns; keep a fourth column's worth beyond them.
constexpr int kColumnsAhead = 4;

} // namespace

DocumentFeeder::DocumentFeeder(QList<DocumentInput> documents, std::optional<int> firstNumber)
    : documents(std::move(documents)), firstNumber(firstNumber)
{
}

int DocumentFeeder::total() const
{
    return documents.size();
}

int DocumentFeeder::placed(PDFRendererDocuments &renderer) const
{
    return next - renderer.documents().size();
}

void DocumentFeeder::topUp(PDFRendererDocuments &renderer)
{
    while (next < documents.size() && !ample(renderer)) {
        renderer.appendDoc(build(documents.at(next), next, renderer.getHlp()));
        // The description is not needed any more: its items now live in the renderer.
        documents[next] = DocumentInput();
        ++next;
    }
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

DocumentGraphics DocumentFeeder::build(const DocumentInput &input, int index,
                                       AsyncReportsHelper &helper) const
{
    DocumentGraphics doc;
    if (input.number)
        doc.attributes.insert(0, *input.number);
    else if (firstNumber)
        doc.attributes.insert(0, *firstNumber + index);

    for (const ItemInput &itemInput : input.items) {
        QGraphicsItem *item = nullptr;
        const bool hinted = itemInput.spaced || itemInput.tight || itemInput.fullHeight
                || itemInput.centred || itemInput.heightFactor;
        if (itemInput.kind == ItemInput::Kind::Text) {
            const QTextCharFormat &format = helper.formats[itemInput.format];
            // A plain line goes only onto a page: the composer may reuse it afterwards.
            item = hinted ? helper.createTextItemWithFormat(itemInput.text, format)
                          : helper.createPageTextItem(itemInput.text, format);
        } else {
            item = new QGraphicsImageItem(QImage(itemInput.imagePath), nullptr);
            item->setScale(itemInput.scale);
        }
        if (itemInput.spaced)
            item->setData(SpacedKey, true);
        if (itemInput.tight)
            item->setData(TightKey, true);
        if (itemInput.fullHeight)
            item->setData(FullHeightKey, true);
        if (itemInput.centred)
            item->setData(CentredKey, true);
        if (itemInput.heightFactor)
            item->setData(HeightFactorKey, *itemInput.heightFactor);
        doc.items.append(item);
    }
    return doc;
}
