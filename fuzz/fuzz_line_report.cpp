// A short line report of fuzzer-chosen lines and headings, rendered through a real job on the
// event loop. The report must end, once, with success, or be refused for its headings or
// for a page header (its subtitle and place are fuzzer-chosen too) that leaves no room.
#include "fuzzreport.h"
#include "mvfailure.h"
#include "pdfrenderer.h"

#include <cstdlib>

namespace {

class FuzzJob : public AsyncReportsBase
{
public:
    QStringList lines;
    QStringList headings;
    QString file;
    bool wide = false;

    void process() override
    {
        auto *report = new PDFRenderer(this);
        report->setWide(wide);
        startRenderer(report);
    }
    QStringList &reportLines() override { return lines; }
    QStringList &continuationHeader() override { return headings; }
    QString reportTitle() override { return QStringLiteral("Fuzz"); }
    QString reportSubtitle() override { return lines.value(0); }
    QString reportPlace() override { return headings.value(0); }
    QString outputFileName() override { return file; }
};

QString outputFile;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    outputFile = FuzzReport::initialize(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    // A line per line feed; lines starting with a form feed are headings. At most 400 lines.
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(bytes), int(size));
    FuzzJob job;
    job.file = outputFile;
    job.wide = size > 0 && bytes[0] % 7 == 0;
    for (const QString &line : text.split(QLatin1Char('\n')).mid(0, 400)) {
        if (line.startsWith(QLatin1Char('\f')))
            job.headings.append(line.mid(1));
        else
            job.lines.append(line);
    }

    QString message;
    const int readyCount = FuzzReport::runToReady(job, &message);
    const AsyncReportsBase::Outcome outcome = job.lastOutcome();
    // Heading lines or a header that leave no room for a line refuse the report, with a reason.
    const bool tooTall = !job.headings.isEmpty() || job.lastFailure().reason() == MvFailure::Reason::HeaderTooTall;
    const bool refused = outcome == AsyncReportsBase::Outcome::LayoutFailed && !message.isEmpty() && tooTall;
    const bool completed = outcome == AsyncReportsBase::Outcome::Completed && message.isEmpty();
    if (readyCount != 1 || !(completed || refused))
        std::abort();
    return 0;
}
