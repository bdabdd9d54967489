#include "pdfrendererdocuments.h"

#include "mvdocumentflow.h"

#include <QGraphicsItem>

namespace {

constexpr int kEnoughItems = 500;

} // namespace

// The flow that lays the documents out, on the renderer's fields.
struct Q_DECL_HIDDEN PDFRendererDocuments::Private
{
    Private(AsyncReportsHelper &helper, const MvDocumentFlow::Fields &fields,
            MvDocumentFlow::OutlineEntry addEntry)
        : flow(helper, fields, std::move(addEntry))
    {
    }

    MvDocumentFlow flow;
};

PDFRendererDocuments::PDFRendererDocuments(AsyncReportsBase *owner)
    : PDFRendererBase(owner), itemCount(0), carryWidth(0.0), carryOver(false),
      d(new Private(hlp, {docs, itemCount, carryWidth, carryOver},
                    [this](const QString &title, double sceneTop) { addOutlineEntry(title, sceneTop); }))
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
    d->flow.append(doc);
}

void PDFRendererDocuments::appendDoc(const QStringList &lines)
{
    d->flow.append(lines);
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
    d->flow.restart();
}

void PDFRendererDocuments::setOutlineEnabled(bool on)
{
    requestOutline(on);
}

bool PDFRendererDocuments::outlineEnabled() const
{
    return outlineRequested();
}

void PDFRendererDocuments::setKeepTogether(bool on)
{
    d->flow.setKeepTogether(on);
}

bool PDFRendererDocuments::keepTogether() const
{
    return d->flow.keptTogether();
}

double PDFRendererDocuments::fitScale(QGraphicsItem *item) const
{
    return d->flow.fitScale(item);
}

double PDFRendererDocuments::boundingHeight(QGraphicsItem *item)
{
    return MvDocumentFlow::boundingHeight(item);
}

double PDFRendererDocuments::boundingWidth(QGraphicsItem *item)
{
    return MvDocumentFlow::scaledWidth(item);
}

double PDFRendererDocuments::heightTopOffset(QGraphicsItem *item)
{
    return MvDocumentFlow::heightTopOffset(item);
}

bool PDFRendererDocuments::emitPage(bool)
{
    // An output that is not open (discarded, finished) takes no more pages.
    if (docs.isEmpty() || !output.isValid())
        return false;

    d->flow.composePage(outlineRequested());
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
