#ifndef DOCUMENTFEEDER_H
#define DOCUMENTFEEDER_H

#include "documentreader.h"

#include <QList>

#include <functional>
#include <memory>
#include <optional>

class ImageLoader;
class PDFRendererDocuments;
class QGraphicsItem;

// Hands documents to a document renderer a few pages ahead of the page being written, so
// that memory holds a few pages of graphics items however many documents a report has and
// however long one of them is: a long document goes in by parts, appended to it while it is
// still pending. The renderer ends a report when a page empties its list, so the feeder always
// keeps more pending than one page can take. The renderer fits the items to their columns; a
// notice tells of an image it will scale down.
class DocumentFeeder
{
public:
    using Notice = std::function<void(const QString &)>;

    // With firstNumber set, documents without a number of their own are numbered in input
    // order from it. images loads the documents' images; notice receives the notices.
    DocumentFeeder(QList<DocumentInput> documents, std::optional<int> firstNumber,
                   ImageLoader &images, Notice notice);
    ~DocumentFeeder();

    // Appends documents, or parts of one, until the pending ones would fill several pages.
    // Call it after the renderer's prepare() and startReport(), and again after every page.
    // False, with error(), when an image cannot be loaded any more.
    bool topUp(PDFRendererDocuments &renderer);
    QString error() const;

    int total() const;
    // Documents that left the renderer's list onto pages (a split one counts when done).
    int placed(PDFRendererDocuments &renderer) const;

private:
    Q_DISABLE_COPY(DocumentFeeder)

    bool ample(PDFRendererDocuments &renderer) const;
    bool startDocument(PDFRendererDocuments &renderer);
    bool feedOpenDocument(PDFRendererDocuments &renderer);
    bool buildItems(const DocumentInput &input, int from, int to, PDFRendererDocuments &renderer,
                    QList<QGraphicsItem *> *items);
    bool buildImage(const DocumentInput &input, int index, PDFRendererDocuments &renderer,
                    QGraphicsItem **item);
    bool fail(const QString &reason);

    QList<DocumentInput> documents;
    std::optional<int> firstNumber;
    ImageLoader &images;
    Notice notice;
    int next = 0;                 // documents started
    int openItems = 0;            // items of the last started document fed so far, while some
                                  // are still to come; 0 when it went in whole
    QString failure;

    // What pending documents take: their slots one after another, and the tallest slot.
    struct Pending
    {
        void add(const QList<QGraphicsItem *> &items);
        void add(const Pending &other);
        int items = 0;
        double height = 0.0;
        double tallest = 0.0;
    };
    // What the renderer's pending documents take, counted when a top-up begins and added to
    // as it appends.
    void countPending(PDFRendererDocuments &renderer);

    Pending pending;
    // What each document appended and still pending takes, in the renderer's order, so that a
    // top-up counts again only what the renderer may have changed since: the first document,
    // which it places from, and any whose items are not those counted.
    QList<Pending> appended;
};

#endif // DOCUMENTFEEDER_H
