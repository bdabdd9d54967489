#include "reportrunner.h"

#include "commands.h"
#include "outputtarget.h"
#include "pdfrenderer.h"
#include "signalbridge.h"
#include "tool.h"

#include <QEventLoop>

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

// Why the report could not be written to OUT, in the tool's words.
QString writeFailure(const MvFailure &failure, const OutputTarget &target)
{
    // The work file shows why it could not be written (a file-size limit, a full disk);
    // else the system's error as the library met it.
    QString reason = target.writeFailureReason();
    if (reason.isEmpty() && failure.systemError() != 0)
        reason = Tool::systemError(failure.systemError());
    if (reason.isEmpty())
        return Tool::tr("cannot write %1").arg(target.displayPath());
    return Tool::tr("cannot write %1: %2").arg(target.displayPath(), reason);
}

// Says how the job failed, in the tool's words; returns the exit status.
int reportFailure(const MvFailure &failure, const OutputTarget &target)
{
    using Reason = MvFailure::Reason;
    switch (failure.reason()) {
    case Reason::None:
        break;
    case Reason::Cancelled:
        return reportCancelled();
    case Reason::NoData:
        Tool::printError(Tool::tr("nothing to render"));
        return RenderFailed;
    case Reason::NoApplication:
        Tool::printError(Tool::tr("no graphics application to compose the pages"));
        return RenderFailed;
    case Reason::FontsMissing:
        Tool::printError(Tool::tr("no installed font for %1").arg(failure.detail()));
        return RenderFailed;
    case Reason::CannotWrite:
        Tool::printError(writeFailure(failure, target));
        return RenderFailed;
    case Reason::OutOfMemory:
        Tool::printError(Tool::tr("out of memory"));
        return RenderFailed;
    case Reason::LayoutImpossible:
        Tool::printError(Tool::tr("the %1 heading lines leave no room for a line in a column").arg(failure.line()));
        return UsageError;
    case Reason::HeaderTooTall:
        Tool::printError(Tool::tr("the page header (title, subtitle and date line) leaves no room for the report"));
        return UsageError;
    case Reason::OutlinePatternFailed:
        Tool::printError(Tool::tr("the outline pattern cannot be matched against line %1").arg(failure.line()));
        return UsageError;
    case Reason::OutlinePatternTooSlow:
        Tool::printError(Tool::tr("the outline pattern takes too long to match (line %1)").arg(failure.line()));
        return UsageError;
    case Reason::TimestampOutOfRange:
        Tool::printError(Tool::tr("the file timestamp %1 is outside the years 1 to 9999").arg(failure.detail()));
        return UsageError;
    }
    return Success;
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
    const std::unique_ptr<CliJob> job = makeJob(settings);

    ProgressView view(display.style, display.counted);
    SignalBridge bridge;
    QObject::connect(&bridge, &SignalBridge::interrupted, job.get(), &AsyncReportsBase::abortReport);
    QObject::connect(job.get(), &AsyncReportsBase::progress, job.get(), [&]() {
        view.update(job->pagesWritten(), job->percentDone());
    });
    QEventLoop loop;
    QObject::connect(job.get(), &AsyncReportsBase::ready, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    job->do_process();
    loop.exec();
    view.finish();

    if (!job->failureReason().isEmpty()) {
        target.discard();
        Tool::printError(job->failureReason());
        return RenderFailed;
    }
    // A signal that came after the job's last look at it still cancels a stream, which has
    // received nothing yet. A file the library has put in place stays: the job looks for a
    // cancel after every page and while it finishes the report, up to the point of no return.
    if (SignalBridge::caught() && target.isStream()) {
        target.discard();
        return reportCancelled();
    }
    if (job->lastFailure().isFailure()) {
        // Said before the work file goes: it shows why it could not be written.
        const int status = reportFailure(job->lastFailure(), target);
        target.discard();
        return status;
    }
    const OutputTarget::Status committed = target.commit(&error);
    if (committed == OutputTarget::Status::Cancelled && !error.isEmpty()) {
        Tool::printError(error);
        return Cancelled;
    }
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
