#include "clijob.h"

#include "documentfeeder.h"
#include "pdfrenderer.h"
#include "pdfrendererdocuments.h"
#include "signalbridge.h"

namespace {

// A renderer that turns a signal caught while it composed a page into the job's cancel at once,
// before the job goes on: after the last page the job finishes the report in the same pass,
// before the event loop could deliver the signal, and the report would take OUT's place.
template <class Renderer>
class SignalAwareRenderer : public Renderer
{
public:
    explicit SignalAwareRenderer(AsyncReportsBase *job) : Renderer(job), job(job) {}

    bool emitPage(bool arg) override
    {
        const bool more = Renderer::emitPage(arg);
        if (SignalBridge::caught())
            job->abortReport();
        return more;
    }

private:
    AsyncReportsBase *job;
};

} // namespace

CliJob::CliJob(const Settings &settings, QStringList lines, QObject *parent)
    : AsyncReportsBase(parent), settings(settings), lines(std::move(lines))
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
    failureText.clear();
    PDFRendererBase *report = nullptr;
    PDFRendererDocuments *documents = nullptr;
    if (feeder) {
        report = documents = new SignalAwareRenderer<PDFRendererDocuments>(this);
        documents->setOutlineEnabled(settings.outline);
        documents->setKeepTogether(settings.keepTogether);
    } else {
        auto *lineReport = new SignalAwareRenderer<PDFRenderer>(this);
        lineReport->setWide(settings.wide);
        lineReport->setOutlinePattern(settings.outlinePattern);
        report = lineReport;
    }
    report->setPdfA1b(settings.pdfA1b);
    report->setReportDate(settings.reportDate);
    report->setFileTimestamp(settings.timestamp);
    report->setPageCountVisible(settings.pageCount);
    report->setOutlineGroupSize(settings.outlineGroupSize);
    report->setOutputDevice(settings.device);
    if (settings.ppi > 0)
        report->getHlp().setPpi(settings.ppi);
    report->getHlp().setDebugColorize(settings.debugOutline);
    if (!startRenderer(report) || !documents)
        return;
    // Documents go in after startReport(), so that the renderer's counter sees them; the
    // first page is only queued yet.
    if (!feeder->topUp(*documents)) {
        failureText = feeder->error();
        abortReport();
    }
}

void CliJob::afterPage()
{
    ++pages;
    if (!renderer)
        return;
    percent = renderer->perc();
    if (feeder) {
        auto *documents = static_cast<PDFRendererDocuments *>(renderer);
        if (!feeder->topUp(*documents)) {
            failureText = feeder->error();
            abortReport();
        }
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

QString CliJob::failureReason() const
{
    return failureText;
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
