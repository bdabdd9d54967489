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

DocumentFeeder::DocumentFeeder(QList<DocumentSpec> documents, std::optional<int> firstNumber)
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
        // The specification is not needed any more: its items now live in the renderer.
        documents[next] = DocumentSpec();
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

DocumentGraphics DocumentFeeder::build(const DocumentSpec &spec, int index,
                                       AsyncReportsHelper &helper) const
{
    DocumentGraphics doc;
    if (spec.number)
        doc.attributes.insert(0, *spec.number);
    else if (firstNumber)
        doc.attributes.insert(0, *firstNumber + index);

    for (const ItemSpec &itemSpec : spec.items) {
        QGraphicsItem *item = nullptr;
        const bool hinted = itemSpec.spaced || itemSpec.tight || itemSpec.fullHeight
                || itemSpec.centred || itemSpec.heightFactor;
        if (itemSpec.kind == ItemSpec::Kind::Text) {
            const QTextCharFormat &format = helper.formats[itemSpec.format];
            // A plain line goes only onto a page: the composer may reuse it afterwards.
            item = hinted ? helper.createTextItemWithFormat(itemSpec.text, format)
                          : helper.createPageTextItem(itemSpec.text, format);
        } else {
            item = new QGraphicsImageItem(QImage(itemSpec.imagePath), nullptr);
            item->setScale(itemSpec.scale);
        }
        if (itemSpec.spaced)
            item->setData(SpacedKey, true);
        if (itemSpec.tight)
            item->setData(TightKey, true);
        if (itemSpec.fullHeight)
            item->setData(FullHeightKey, true);
        if (itemSpec.centred)
            item->setData(CentredKey, true);
        if (itemSpec.heightFactor)
            item->setData(HeightFactorKey, *itemSpec.heightFactor);
        doc.items.append(item);
    }
    return doc;
}
