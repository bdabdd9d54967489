#include "clijob.h"

#include "documentfeeder.h"
#include "pdfrenderer.h"
#include "pdfrendererdocuments.h"

CliJob::CliJob(const Settings &settings, const QStringList &lines, QObject *parent)
    : AsyncReportsBase(parent), settings(settings), lines(lines)
{
    connect(this, &AsyncReportsBase::progress, this, &CliJob::afterPage);
}

CliJob::CliJob(const Settings &settings, std::unique_ptr<DocumentFeeder> feeder, QObject *parent)
    : AsyncReportsBase(parent), settings(settings), feeder(std::move(feeder))
{
    connect(this, &AsyncReportsBase::progress, this, &CliJob::afterPage);
}

CliJob::~CliJob() = default;

void CliJob::process()
{
    pages = 0;
    percent = 0.0;
    std::unique_ptr<PDFRendererBase> newRenderer;
    PDFRendererDocuments *documents = nullptr;
    if (feeder) {
        auto documentRenderer = std::make_unique<PDFRendererDocuments>(this);
        documents = documentRenderer.get();
        newRenderer = std::move(documentRenderer);
    } else {
        auto lineRenderer = std::make_unique<PDFRenderer>(this);
        lineRenderer->setWide(settings.wide);
        newRenderer = std::move(lineRenderer);
    }
    if (settings.ppi > 0)
        newRenderer->getHlp().setPpi(settings.ppi);
    newRenderer->getHlp().setDebugColorize(settings.debugOutline);

    if (!newRenderer->prepare()) {
        emit ready(newRenderer->lastError());
        return;
    }
    newRenderer->startReport();
    // Documents go in after startReport(), so that the renderer's counter sees them.
    if (documents)
        feeder->topUp(*documents);
    renderer = newRenderer.release();
    QMetaObject::invokeMethod(this, "nextPage", Qt::QueuedConnection);
}

void CliJob::afterPage()
{
    ++pages;
    if (!renderer)
        return;
    percent = renderer->perc();
    if (feeder) {
        auto *documents = static_cast<PDFRendererDocuments *>(renderer);
        feeder->topUp(*documents);
        if (feeder->total() > 0)
            percent = 100.0 * feeder->placed(*documents) / feeder->total();
    }
}

int CliJob::pagesWritten() const
{
    return pages;
}

double CliJob::percentDone() const
{
    return percent;
}

QStringList &CliJob::reportLines()
{
    return lines;
}

QStringList &CliJob::continuationHeader()
{
    return settings.headings;
}

QString CliJob::reportTitle()
{
    return settings.title;
}

QString CliJob::reportSubtitle()
{
    return settings.subtitle;
}

QString CliJob::reportPlace()
{
    return settings.place;
}

QString CliJob::outputFileName()
{
    return settings.output;
}
