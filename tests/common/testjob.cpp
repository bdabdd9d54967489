#include "testjob.h"

#include "pdfrenderer.h"
#include "pdfrendererdocuments.h"

#include <QCoreApplication>
#include <QGraphicsScene>
#include <QSignalSpy>

namespace {

// A renderer that calls the job's afterPrepare once it is prepared and its lastPageComposed
// when emitPage() has written the last page.
template <class Renderer>
class HookedRenderer : public Renderer
{
public:
    explicit HookedRenderer(TestJob *job) : Renderer(job), job(job) {}

    bool prepare() override
    {
        if (!Renderer::prepare())
            return false;
        if (job->afterPrepare)
            job->afterPrepare(*this);
        return true;
    }

    bool emitPage(bool unused) override
    {
        const bool more = Renderer::emitPage(unused);
        if (!more && job->lastPageComposed)
            job->lastPageComposed();
        return more;
    }

private:
    TestJob *job;
};

} // namespace

TestJob::TestJob(QObject *parent) : AsyncReportsBase(parent)
{
}

void TestJob::process()
{
    ++processCalls;
    PDFRendererBase *newRenderer = nullptr;
    if (fillDocuments) {
        auto *documents = new HookedRenderer<PDFRendererDocuments>(this);
        documents->setOutlineEnabled(outline);
        fillDocuments(*documents);
        newRenderer = documents;
    } else {
        auto *lineRenderer = new HookedRenderer<PDFRenderer>(this);
        lineRenderer->setWide(wide);
        lineRenderer->setOutlinePattern(outlinePattern);
        newRenderer = lineRenderer;
    }
    newRenderer->setPdfA1b(pdfA1b);
    newRenderer->setOutputDevice(device);
    if (ppi > 0)
        newRenderer->getHlp().setPpi(ppi);
    newRenderer->getHlp().setDebugColorize(debugOutline);
    if (configure)
        configure(*newRenderer);
    if (startRenderer(newRenderer) && sceneRendering)
        newRenderer->getHlp().scene->setForegroundBrush(QColor(0, 0, 0, 0));
}

QString TestJob::run(int timeoutMs)
{
    QSignalSpy readySpy(this, &AsyncReportsBase::ready);
    do_process();
    if (readySpy.isEmpty() && !readySpy.wait(timeoutMs))
        return QStringLiteral("<timeout>");
    return readySpy.first().first().toString();
}

void deliverQueuedCalls()
{
    // Calls queued while the queue is delivered wait for the next delivery.
    constexpr int kRounds = 3;
    for (int round = 0; round < kRounds; ++round)
        QCoreApplication::sendPostedEvents();
}

QStringList numberedLines(int count, int length)
{
    QStringList lines;
    for (int i = 0; i < count; ++i) {
        lines.append(QStringLiteral("W%1 ").arg(i, 5, 10, QLatin1Char('0'))
                     .leftJustified(length, QLatin1Char('x')));
    }
    return lines;
}
