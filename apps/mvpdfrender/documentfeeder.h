#ifndef DOCUMENTFEEDER_H
#define DOCUMENTFEEDER_H

#include "documentreader.h"

#include <QList>

#include <optional>

class AsyncReportsHelper;
class DocumentGraphics;
class PDFRendererDocuments;

// Hands documents to a document renderer a few pages ahead of the page being written, so
// that memory holds a few pages of graphics items however many documents a report has.
// The renderer ends a report when a page empties its list, so the feeder always keeps more
// pending than one page can take.
class DocumentFeeder
{
public:
    // With firstNumber set, documents without a number of their own are numbered in input
    // order from it.
    DocumentFeeder(QList<DocumentInput> documents, std::optional<int> firstNumber);

    // Appends documents until the pending ones would fill several pages. Call it after the
    // renderer's prepare() and startReport(), and again after every page.
    void topUp(PDFRendererDocuments &renderer);

    int total() const;
    // Documents that left the renderer's list onto pages (a split one counts when done).
    int placed(PDFRendererDocuments &renderer) const;

private:
    bool ample(PDFRendererDocuments &renderer) const;
    DocumentGraphics build(const DocumentInput &input, int index, AsyncReportsHelper &helper) const;

    QList<DocumentInput> documents;
    std::optional<int> firstNumber;
    int next = 0;
};

#endif // DOCUMENTFEEDER_H
