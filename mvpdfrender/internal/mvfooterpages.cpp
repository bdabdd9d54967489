#include "mvfooterpages.h"

#include "mvpagepainter.h"
#include "mvreporttexts.h"
#include "mvtextitem.h"

#include <QElapsedTimer>
#include <QPageLayout>
#include <QPdfWriter>

MvFooterPages::MvFooterPages(const QRect &sceneRect, double labelTop, const QTextCharFormat &format,
                             const QPageLayout &layout, bool pdfA1b, int pageCount)
    : sceneRect(sceneRect), labelTop(labelTop), format(format), pageCount(pageCount),
      labelItem(new MvTextItem)
{
    scene.setSceneRect(QRectF(sceneRect));
    scene.setItemIndexMethod(QGraphicsScene::NoIndex);
    scene.addItem(labelItem);
    buffer.open(QIODevice::WriteOnly);
    writer = std::make_unique<QPdfWriter>(&buffer);
    // The same pages as the report's, so that a page of labels lies exactly over one of them.
    if (pdfA1b)
        writer->setPdfVersion(QPagedPaintDevice::PdfVersion_A1b);
    writer->setPageLayout(layout);
    painter.begin(writer.get());
}

MvFooterPages::~MvFooterPages()
{
    if (painter.isActive())
        painter.end();
}

QString MvFooterPages::label(int page, int pages)
{
    return MvReportTexts::pageFooter(page, pages);
}

bool MvFooterPages::paintSome(qint64 budgetMs)
{
    QElapsedTimer timer;
    timer.start();
    const QRectF target(0, 0, writer->width(), writer->height());
    while (next <= pageCount && painter.isActive()) {
        if (next > 1)
            writer->newPage();
        labelItem->fill(label(next, pageCount), format);
        const QRectF bounds = labelItem->boundingRect();
        labelItem->setPos((sceneRect.width() - bounds.width()) * 0.5, labelTop);
        if (!MvPagePainter::paint(scene, QRectF(sceneRect), &painter, target))
            scene.render(&painter, target, QRectF(sceneRect), Qt::KeepAspectRatio);
        ++next;
        if (timer.elapsed() >= budgetMs)
            break;
    }
    return next <= pageCount && painter.isActive();
}

QByteArray MvFooterPages::document()
{
    if (!painter.isActive() || next <= pageCount)
        return QByteArray();
    painter.end();
    writer.reset();
    return buffer.data();
}
