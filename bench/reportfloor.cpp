#include "reportfloor.h"

#include "asyncreportshelper.h"
#include "clijob.h"
#include "documentfeeder.h"
#include "pdfrendererbase.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QGraphicsLineItem>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QPainter>
#include <QPdfWriter>
#include <QTextCursor>
#include <QTextDocument>

namespace {

using namespace ReportFloor;

// Stays on the page scene and records, whenever a page is painted, everything on it.
class Recorder : public QGraphicsItem
{
public:
    Recorder(const AsyncReportsHelper &helper, Recording *recording) : helper(helper), recording(recording) {}
    QRectF boundingRect() const override { return QRectF(0, 0, 1, 1); }
    void paint(QPainter *, const QStyleOptionGraphicsItem *, QWidget *) override
    {
        Page page;
        for (QGraphicsItem *item : helper.scene->items(Qt::AscendingOrder)) {
            if (!item->isVisible())
                continue;
            if (auto *text = qgraphicsitem_cast<QGraphicsTextItem *>(item)) {
                page.texts.append({text->toPlainText(), QTextCursor(text->document()).charFormat().font(),
                                   item->scenePos()});
            } else if (auto *rule = qgraphicsitem_cast<QGraphicsLineItem *>(item)) {
                page.rules.append(QLineF(rule->mapToScene(rule->line().p1()), rule->mapToScene(rule->line().p2())));
            }
        }
        recording->pages.append(page);
    }

private:
    const AsyncReportsHelper &helper;
    Recording *recording;
};

// The tool's document job, with a recorder on its page scene.
class RecordingJob : public CliJob
{
public:
    RecordingJob(const Settings &settings, std::unique_ptr<DocumentFeeder> feeder, Recording *recording)
        : CliJob(settings, std::move(feeder)), recording(recording)
    {
    }

    void process() override
    {
        CliJob::process();
        if (!renderer)
            return;
        AsyncReportsHelper &helper = renderer->getHlp();
        helper.scene->addItem(new Recorder(helper, recording));
        recording->sceneRect = helper.sceneRect;
        recording->ppi = helper.ppi;
    }

private:
    Recording *recording;
};

} // namespace

namespace ReportFloor {

Recording recordDocuments(const QString &file, std::unique_ptr<DocumentFeeder> feeder)
{
    Recording recording;
    CliJob::Settings settings;
    settings.output = file;
    settings.title = QStringLiteral("Benchmark");
    settings.subtitle = QStringLiteral("Paragony");
    settings.place = QStringLiteral("Kraków");
    RecordingJob job(settings, std::move(feeder), &recording);
    QEventLoop loop;
    QObject::connect(&job, &AsyncReportsBase::ready, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    job.do_process();
    loop.exec();
    return recording;
}

QPageLayout pageLayout()
{
    constexpr double kMarginMm = 15.0;
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                       QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                       QPageLayout::Millimeter, QMarginsF());
}

double paint(const Recording &recording, const QString &file)
{
    QElapsedTimer timer;
    timer.start();
    QPdfWriter writer(file);
    writer.setPageLayout(pageLayout());
    QPainter painter(&writer);
    const double scale = double(writer.logicalDpiX()) / recording.ppi;
    painter.scale(scale, scale);
    for (int i = 0; i < recording.pages.size(); ++i) {
        if (i > 0)
            writer.newPage();
        for (const QLineF &rule : recording.pages.at(i).rules)
            painter.drawLine(rule);
        for (const Text &text : recording.pages.at(i).texts) {
            painter.setFont(text.font);
            // The baseline of a composer's line: below its item's margin by the font's ascent.
            const QFontMetricsF metrics(text.font, &writer);
            painter.drawText(text.topLeft + QPointF(4, 4 + metrics.ascent() / scale), text.text);
        }
    }
    painter.end();
    return timer.nsecsElapsed() / 1e9;
}

} // namespace ReportFloor
