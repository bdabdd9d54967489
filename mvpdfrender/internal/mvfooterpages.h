#ifndef MVFOOTERPAGES_H
#define MVFOOTERPAGES_H

#include <QBuffer>
#include <QByteArray>
#include <QGraphicsScene>
#include <QPainter>
#include <QRect>
#include <QTextCharFormat>

#include <memory>

class MvTextItem;
class QPageLayout;
class QPdfWriter;

// The page labels of a report that shows its page count ("- Strona N z M -"). They are
// painted once the report's last page is known, into a document of their own whose page N
// holds nothing but the label of the report's page N, centred where the report's footer has
// its label; laying its pages over the report's completes their footers. Painted on the page
// composer's thread, a batch per pass of the event loop, the same way the pages are painted.
class MvFooterPages
{
public:
    // sceneRect and labelTop as the composer has them; target: the paintable area of a page
    // in the writer's pixels.
    MvFooterPages(const QRect &sceneRect, double labelTop, const QTextCharFormat &format,
                  const QPageLayout &layout, bool pdfA1b, int pageCount);
    ~MvFooterPages();

    // The label of page of pages.
    static QString label(int page, int pages);

    // Paints labels, one page each, until all are painted or budgetMs have passed; true while
    // some remain.
    bool paintSome(qint64 budgetMs);
    // The finished document, once every label is painted; empty when it could not be made.
    QByteArray document();

private:
    Q_DISABLE_COPY(MvFooterPages)

    QRect sceneRect;
    double labelTop;
    QTextCharFormat format;
    int pageCount;
    int next = 1;
    QBuffer buffer;
    std::unique_ptr<QPdfWriter> writer;
    QPainter painter;
    QGraphicsScene scene;
    MvTextItem *labelItem;   // owned by the scene
};

#endif // MVFOOTERPAGES_H
