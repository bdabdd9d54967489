#include "reportrunner.h"

#include "commands.h"
#include "outputtarget.h"
#include "pdfrenderer.h"
#include "signalbridge.h"
#include "tool.h"

#include <QEventLoop>
#include <QRegularExpression>

#include <cstdio>

namespace ReportRunner {
namespace {

using namespace Commands;

int exitStatusOf(OutputTarget::Status status)
{
    switch (status) {
    case OutputTarget::Status::Ok:
        return Success;
    case OutputTarget::Status::Refused:
        return UsageError;
    case OutputTarget::Status::Cancelled:
        return Cancelled;
    case OutputTarget::Status::Failed:
        break;
    }
    return RenderFailed;
}

// The library's text of a refused layout in the tool's words.
QString layoutFailure(const QString &message, const CliJob::Settings &settings)
{
    if (message == PDFRenderer::headingsTooTallMessage(int(settings.headings.size())))
        return Tool::tr("the %1 heading lines leave no room for a line in a column").arg(settings.headings.size());
    static const QRegularExpression number(QStringLiteral("\\d+"));
    const int line = number.match(message).captured(0).toInt();
    if (message == PDFRenderer::outlinePatternFailedMessage(line, settings.outlinePattern))
        return Tool::tr("the outline pattern cannot be matched against line %1").arg(line);
    if (message == PDFRenderer::outlinePatternTooSlowMessage(line, settings.outlinePattern))
        return Tool::tr("the outline pattern takes too long to match (line %1)").arg(line);
    return message;
}

// Why the report could not be written, in the tool's words.
QString writeFailure(const CliJob &job, const QString &message, const OutputTarget &target)
{
    if (!job.prepared()) {
        // prepare() refuses a machine without the fonts of the pages before it opens a file.
        const QString fonts = PDFRendererBase::missingFontsMessage(QStringList());
        if (message.startsWith(fonts))
            return Tool::tr("no installed font for %1").arg(message.mid(fonts.size()));
    }
    if (message == PDFRendererBase::outOfMemoryMessage(QString()))
        return Tool::tr("out of memory");
    // A report that could not be written into the work file could not be written to OUT, for
    // the reason the work file shows (a file-size limit, a full disk).
    const QString reason = target.writeFailureReason();
    const QString failure = Tool::tr("cannot write %1").arg(target.displayPath());
    return reason.isEmpty() ? failure : QStringLiteral("%1 (%2)").arg(failure, reason);
}

} // namespace

int run(CliJob::Settings settings, const JobFactory &makeJob, const Display &display,
        const FileIdentities &inputs)
{
    if (SignalBridge::caught())
        return reportCancelled();
    OutputTarget target;
    QString error;
    const OutputTarget::Status opened = target.open(settings.output, inputs, &error);
    if (opened != OutputTarget::Status::Ok) {
        Tool::printError(error);
        return exitStatusOf(opened);
    }
    settings.device = target.device();
    settings.stagingFolder = target.stagingFolder();
    const std::unique_ptr<CliJob> job = makeJob(settings);

    ProgressView view(display.style, display.counted);
    SignalBridge bridge;
    QObject::connect(&bridge, &SignalBridge::interrupted, job.get(), &AsyncReportsBase::abortReport);
    QObject::connect(job.get(), &AsyncReportsBase::progress, job.get(), [&]() {
        view.update(job->pagesWritten(), job->percentDone());
    });
    QEventLoop loop;
    QString result;
    QObject::connect(job.get(), &AsyncReportsBase::ready, &loop, [&](const QString &message) {
        result = message;
        loop.quit();
    }, Qt::QueuedConnection);
    job->do_process();
    loop.exec();
    view.finish();

    if (!job->failureReason().isEmpty()) {
        target.discard();
        Tool::printError(job->failureReason());
        return RenderFailed;
    }
    // A signal that came during the last page, when no further pass looked at the cancel
    // flag, still cancels the run.
    if (SignalBridge::caught()) {
        target.discard();
        return reportCancelled();
    }
    switch (job->lastOutcome()) {
    case AsyncReportsBase::Outcome::Completed:
        break;
    case AsyncReportsBase::Outcome::Cancelled:
        target.discard();
        return reportCancelled();
    case AsyncReportsBase::Outcome::WriteFailed:
        Tool::printError(writeFailure(*job, result, target));
        target.discard();
        return RenderFailed;
    case AsyncReportsBase::Outcome::NoData:
        target.discard();
        Tool::printError(Tool::tr("nothing to render"));
        return RenderFailed;
    case AsyncReportsBase::Outcome::LayoutFailed:
        // Headings that leave no room for a line, or an outline pattern that cannot be matched.
        target.discard();
        Tool::printError(layoutFailure(result, settings));
        return UsageError;
    }
    const OutputTarget::Status committed = target.commit(&error);
    if (committed == OutputTarget::Status::Cancelled)
        return reportCancelled();
    if (committed != OutputTarget::Status::Ok) {
        Tool::printError(error);
        return exitStatusOf(committed);
    }
    if (!display.quiet) {
        const int pages = job->pagesWritten() + 1;
        Tool::printError(Tool::tr("wrote %1 (%n page(s))", nullptr, pages).arg(target.destination()));
    }
    return Success;
}

} // namespace ReportRunner
