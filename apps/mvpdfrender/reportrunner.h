#ifndef REPORTRUNNER_H
#define REPORTRUNNER_H

#include "clijob.h"
#include "fileidentity.h"
#include "progressview.h"

#include <functional>
#include <memory>

// Runs a report command's job: on the event loop, writing through an OutputTarget, showing
// progress, honouring the signals of SignalBridge, and saying how it ended in the tool's
// language (the library's Polish texts become the tool's own for each outcome).
namespace ReportRunner {

using JobFactory = std::function<std::unique_ptr<CliJob>(const CliJob::Settings &)>;

struct Display
{
    ProgressView::Style style;
    QString counted;    // what the percentage is a share of: "of lines"
    bool quiet;
};

// Runs the job makeJob builds for settings; inputs: the files read for the report, which the
// output must not replace. Returns the exit status.
int run(CliJob::Settings settings, const JobFactory &makeJob, const Display &display,
        const FileIdentities &inputs);

} // namespace ReportRunner

#endif // REPORTRUNNER_H
