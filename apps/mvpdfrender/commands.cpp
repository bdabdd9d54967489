#include "commands.h"

#include "clijob.h"
#include "documentfeeder.h"
#include "documentreader.h"
#include "imageloader.h"
#include "inputreader.h"
#include "mvstringformatter.h"
#include "outputtarget.h"
#include "pdfrenderer.h"
#include "progressview.h"
#include "signalbridge.h"
#include "textinput.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <unistd.h>

namespace Commands {
namespace {

const QString kProgram = QStringLiteral("mvpdfrender");
// Text is laid out for 96 dots per inch and printed at 96/ppi of its size: below 72 a column
// holds too little and a header leaves too little room, above 1200 the text is dust.
constexpr int kMinPpi = 72;
constexpr int kMaxPpi = 1200;
constexpr qint64 kMaxDocumentNumber = std::numeric_limits<int>::max();
// PDF dates have four digits for the year.
constexpr int kMaxYear = 9999;

void printError(const QString &message)
{
    std::fprintf(stderr, "%s: %s\n", qUtf8Printable(kProgram), qUtf8Printable(message));
}

int usageError(const QString &command, const QString &message)
{
    printError(message);
    std::fprintf(stderr, "Try '%s %s--help'.\n", qUtf8Printable(kProgram),
                 command.isEmpty() ? "" : qUtf8Printable(command + QLatin1Char(' ')));
    return UsageError;
}

const char *const kUsage =
        "Usage: mvpdfrender COMMAND [OPTIONS]\n"
        "\n"
        "Commands:\n"
        "  lines INPUT -o OUT.pdf        render printout lines as a multi-column report\n"
        "  documents INPUT... -o OUT.pdf render documents (.txt or .json) one after another\n"
        "  quickview [INPUT]             turn printer lines into display lines\n"
        "\n"
        "Run 'mvpdfrender COMMAND --help' for the options of a command.\n"
        "Exit status: 0 success, 1 render failed, 2 usage or input error, 130 cancelled.\n";

// Options shared by both report commands.
struct ReportOptions
{
    QCommandLineOption output{{QStringLiteral("o"), QStringLiteral("output")},
                              QStringLiteral("Write the PDF to <file>."), QStringLiteral("file")};
    QCommandLineOption title{QStringLiteral("title"), QStringLiteral("Report title."), QStringLiteral("text")};
    QCommandLineOption subtitle{QStringLiteral("subtitle"), QStringLiteral("Second header line."),
                                QStringLiteral("text")};
    QCommandLineOption place{QStringLiteral("place"),
                             QStringLiteral("Place that opens the dated header line."), QStringLiteral("text")};
    QCommandLineOption ppi{QStringLiteral("ppi"),
                           QStringLiteral("Layout resolution in units per inch (default 120)."),
                           QStringLiteral("n")};
    QCommandLineOption debugOutline{QStringLiteral("debug-outline"),
                                    QStringLiteral("Outline every item with its scale and size.")};
    QCommandLineOption pdfa{QStringLiteral("pdfa"), QStringLiteral("Write PDF/A-1b.")};
    QCommandLineOption date{QStringLiteral("date"),
                            QStringLiteral("The day the report records, for its dated line (default: today, "
                                           "or the day of SOURCE_DATE_EPOCH)."),
                            QStringLiteral("YYYY-MM-DD")};
    QCommandLineOption pageCount{QStringLiteral("page-count"),
                                 QStringLiteral("Footers read \"Strona N z M\" (page N of M).")};
    QCommandLineOption progress{QStringLiteral("progress"), QStringLiteral("Print a line per page.")};
    QCommandLineOption quiet{QStringLiteral("quiet"), QStringLiteral("Print nothing but errors.")};

    void addTo(QCommandLineParser &parser)
    {
        parser.addOptions({output, title, subtitle, place, date, ppi, debugOutline, pdfa, pageCount, progress,
                           quiet});
    }

    // Fills settings; false with an error for bad values.
    bool read(const QCommandLineParser &parser, const QString &defaultTitle,
              CliJob::Settings *settings, QString *error) const
    {
        if (!parser.isSet(output) || parser.value(output).isEmpty()) {
            *error = QStringLiteral("missing the output file (-o OUT.pdf)");
            return false;
        }
        settings->output = parser.value(output);
        settings->title = parser.isSet(title) ? parser.value(title) : defaultTitle;
        settings->subtitle = parser.value(subtitle);
        settings->place = parser.value(place);
        settings->debugOutline = parser.isSet(debugOutline);
        settings->pdfA1b = parser.isSet(pdfa);
        settings->pageCount = parser.isSet(pageCount);
        if (!readMoment(settings, error))
            return false;
        if (parser.isSet(date)) {
            settings->reportDate = isoDate(parser.value(date));
            if (!settings->reportDate.isValid()) {
                *error = QStringLiteral("--date takes a day as YYYY-MM-DD, such as 2026-11-30");
                return false;
            }
        }
        if (parser.isSet(ppi)) {
            bool ok = false;
            settings->ppi = parser.value(ppi).toInt(&ok);
            if (!ok || settings->ppi < kMinPpi || settings->ppi > kMaxPpi) {
                *error = QStringLiteral("--ppi takes a whole number from %1 to %2").arg(kMinPpi).arg(kMaxPpi);
                return false;
            }
        }
        return true;
    }

    // SOURCE_DATE_EPOCH (seconds since 1970 in UTC), as reproducible builds set it: the moment
    // the file records, and the report's day unless --date gives one.
    static bool readMoment(CliJob::Settings *settings, QString *error)
    {
        if (!qEnvironmentVariableIsSet("SOURCE_DATE_EPOCH"))
            return true;
        const QByteArray text = qgetenv("SOURCE_DATE_EPOCH");
        bool ok = false;
        const qint64 seconds = text.toLongLong(&ok);
        const QDateTime moment = QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC);
        if (!ok || seconds < 0 || text.startsWith('+') || !moment.isValid() || moment.date().year() > kMaxYear) {
            *error = QStringLiteral("SOURCE_DATE_EPOCH takes whole seconds since 1970-01-01 UTC, not \"%1\"")
                    .arg(QString::fromLocal8Bit(text));
            return false;
        }
        settings->timestamp = moment;
        settings->reportDate = moment.date();
        return true;
    }

    // A day written as YYYY-MM-DD, and nothing else; invalid otherwise.
    static QDate isoDate(const QString &text)
    {
        static const QRegularExpression form(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
        return form.match(text).hasMatch() ? QDate::fromString(text, Qt::ISODate) : QDate();
    }

    ProgressView::Style style(const QCommandLineParser &parser) const
    {
        if (parser.isSet(quiet))
            return ProgressView::Style::None;
        if (parser.isSet(progress))
            return ProgressView::Style::Lines;
        return ::isatty(STDERR_FILENO) ? ProgressView::Style::Bar : ProgressView::Style::None;
    }
};

// Parses the arguments after the command; prints help and returns false when asked to.
bool parse(QCommandLineParser &parser, const QString &command, const QStringList &arguments,
           int *status)
{
    parser.addHelpOption();
    QStringList withProgram = arguments;
    withProgram.prepend(kProgram + QLatin1Char(' ') + command);
    if (!parser.parse(withProgram)) {
        *status = usageError(command, parser.errorText());
        return false;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(qUtf8Printable(parser.helpText()), stdout);
        *status = Success;
        return false;
    }
    return true;
}

// Says that the run was cancelled, in the library's words also for a cancel the tool decides
// itself (a signal during the last page, after the job's last look at its cancel flag).
int reportCancelled()
{
    printError(AsyncReportsBase::cancelledMessage());
    return Cancelled;
}

// Reads path ("-" for standard input); returns the exit status, having said why it failed.
int readInput(InputReader &reader, const QString &path, QByteArray *data)
{
    QString error;
    switch (reader.read(path, data, &error)) {
    case InputReader::Result::Cancelled:
        return reportCancelled();
    case InputReader::Result::Refused:
        printError(error);
        return UsageError;
    case InputReader::Result::Ok:
        break;
    }
    return Success;
}

// The UTF-8 lines of data read from path; returns the exit status, having said why it failed.
int decodeLines(const QByteArray &data, const QString &path, QStringList *lines)
{
    QString error;
    if (TextInput::decodeLines(data, InputReader::displayName(path), lines, &error))
        return Success;
    printError(error);
    return UsageError;
}

// Reads the lines of path ("-" for standard input); returns the exit status of a failure.
int readLines(InputReader &reader, const QString &path, QStringList *lines)
{
    QByteArray data;
    const int status = readInput(reader, path, &data);
    return status == Success ? decodeLines(data, path, lines) : status;
}

using JobFactory = std::function<std::unique_ptr<CliJob>(const CliJob::Settings &)>;

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

// Runs the job that makeJob builds for the settings, on the event loop, writing through an
// OutputTarget, showing progress and honouring the signals of SignalBridge. inputs: the
// files read for the report, which the output must not replace.
int runReport(CliJob::Settings settings, const JobFactory &makeJob, ProgressView::Style style,
              const QString &noun, bool quiet, const FileIdentities &inputs)
{
    if (SignalBridge::caught())
        return reportCancelled();
    OutputTarget target;
    QString error;
    const OutputTarget::Status opened = target.open(settings.output, inputs, &error);
    if (opened != OutputTarget::Status::Ok) {
        printError(error);
        return exitStatusOf(opened);
    }
    settings.device = target.device();
    settings.stagingFolder = target.stagingFolder();
    const std::unique_ptr<CliJob> job = makeJob(settings);

    ProgressView view(style);
    SignalBridge bridge;
    QObject::connect(&bridge, &SignalBridge::interrupted, job.get(), &AsyncReportsBase::abortReport);
    QObject::connect(job.get(), &AsyncReportsBase::progress, job.get(), [&](const QString &message) {
        view.update(job->pagesWritten(), job->percentDone(), message, noun);
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
        printError(job->failureReason());
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
    case AsyncReportsBase::Outcome::WriteFailed: {
        // A report that could not be written into the work file could not be written to OUT,
        // for the reason the work file shows (a file-size limit, a full disk); one that could
        // not even be prepared says why itself.
        const QString reason = target.writeFailureReason();
        target.discard();
        if (!job->prepared())
            printError(result);
        else if (result == PDFRendererBase::outOfMemoryMessage(QString()))
            printError(QStringLiteral("out of memory"));
        else
            printError(PDFRendererBase::cannotWriteMessage(target.displayPath())
                       + (reason.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(reason)));
        return RenderFailed;
    }
    case AsyncReportsBase::Outcome::Cancelled:
        target.discard();
        printError(result);
        return Cancelled;
    case AsyncReportsBase::Outcome::NoData:
        target.discard();
        printError(result);
        return RenderFailed;
    case AsyncReportsBase::Outcome::LayoutFailed:
        // Headings that leave no room for a line, or an outline pattern that cannot be matched.
        target.discard();
        if (result == PDFRenderer::headingsTooTallMessage(settings.headings.size()))
            printError(QStringLiteral("the %1 heading lines leave no room for a line in a column")
                       .arg(settings.headings.size()));
        else
            printError(result);
        return UsageError;
    }
    const OutputTarget::Status committed = target.commit(&error);
    if (committed == OutputTarget::Status::Cancelled)
        return reportCancelled();
    if (committed != OutputTarget::Status::Ok) {
        printError(error);
        return exitStatusOf(committed);
    }
    if (!quiet)
        std::fprintf(stderr, "%s: wrote %s (%d page%s)\n", qUtf8Printable(kProgram),
                     qUtf8Printable(target.destination()), job->pagesWritten() + 1,
                     job->pagesWritten() == 0 ? "" : "s");
    return Success;
}

int runLines(const QStringList &arguments)
{
    const QString command = QStringLiteral("lines");
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
            "Renders printout lines (UTF-8, one per line) into a PDF report in 3 columns, or 2\n"
            "on pages with lines longer than 50 characters. With SOURCE_DATE_EPOCH set, the same\n"
            "input and options give the same file, byte for byte."));
    parser.addPositionalArgument(QStringLiteral("INPUT"), QStringLiteral("Text file, or - for standard input."));
    ReportOptions report;
    report.addTo(parser);
    const QCommandLineOption heading(QStringLiteral("heading"),
                                     QStringLiteral("Heading line on top of every further column (repeatable)."),
                                     QStringLiteral("line"));
    const QCommandLineOption wide(QStringLiteral("wide"), QStringLiteral("Every page in 2 columns."));
    const QCommandLineOption quickView(QStringLiteral("quick-view"),
                                       QStringLiteral("Convert printer control sequences first."));
    const QCommandLineOption outlinePattern(QStringLiteral("outline-pattern"),
                                            QStringLiteral("Make an outline entry (bookmark) of every line that matches <regex>."),
                                            QStringLiteral("regex"));
    parser.addOptions({heading, wide, quickView, outlinePattern});
    int status = Success;
    if (!parse(parser, command, arguments, &status))
        return status;
    if (parser.positionalArguments().size() != 1)
        return usageError(command, QStringLiteral("lines takes exactly one INPUT"));

    CliJob::Settings settings;
    QString error;
    const QString input = parser.positionalArguments().first();
    const QString defaultTitle = input == QLatin1String("-") ? QStringLiteral("Raport") : QFileInfo(input).fileName();
    if (!report.read(parser, defaultTitle, &settings, &error))
        return usageError(command, error);
    settings.headings = parser.values(heading);
    settings.wide = parser.isSet(wide);
    settings.outlinePattern = parser.value(outlinePattern);
    const QRegularExpression outlineExpression(settings.outlinePattern);
    if (!outlineExpression.isValid())
        return usageError(command, QStringLiteral("--outline-pattern: %1 at offset %2")
                          .arg(outlineExpression.errorString())
                          .arg(outlineExpression.patternErrorOffset()));

    InputReader reader;
    QStringList lines;
    status = readLines(reader, input, &lines);
    if (status != Success)
        return status;
    if (parser.isSet(quickView))
        lines = MvStringFormatter::quickViewFormat(lines);

    const JobFactory makeJob = [&lines](const CliJob::Settings &jobSettings) {
        return std::make_unique<CliJob>(jobSettings, lines);
    };
    return runReport(settings, makeJob, report.style(parser), QStringLiteral("of lines"),
                     parser.isSet(report.quiet), reader.filesRead());
}

int runDocuments(const QStringList &arguments)
{
    const QString command = QStringLiteral("documents");
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
            "Renders documents one after another through 2 or 3 columns per page. A .txt input\n"
            "is one document of printout lines; a .json input describes documents with items\n"
            "(see the README). With SOURCE_DATE_EPOCH set, the same inputs and options give the\n"
            "same file, byte for byte."));
    parser.addPositionalArgument(QStringLiteral("INPUT..."), QStringLiteral(".txt or .json files."));
    ReportOptions report;
    report.addTo(parser);
    const QCommandLineOption numbered(QStringLiteral("numbered"),
                                      QStringLiteral("Number the documents in input order."));
    const QCommandLineOption firstNumber(QStringLiteral("first-number"),
                                         QStringLiteral("Number of the first document (default 1)."),
                                         QStringLiteral("n"));
    const QCommandLineOption noOutline(QStringLiteral("no-outline"),
                                       QStringLiteral("Leave out the outline (one bookmark per document)."));
    const QCommandLineOption noKeepTogether(
            QStringLiteral("no-keep-together"),
            QStringLiteral("Place documents as they come: no label kept with its document's first "
                           "line, no first or last line kept from standing alone, no (cd.) label."));
    parser.addOptions({numbered, firstNumber, noOutline, noKeepTogether});
    int status = Success;
    if (!parse(parser, command, arguments, &status))
        return status;
    const QStringList inputs = parser.positionalArguments();
    if (inputs.isEmpty())
        return usageError(command, QStringLiteral("documents takes at least one INPUT"));

    CliJob::Settings settings;
    QString error;
    // A report of several inputs is named for them all, not for the first.
    const QString defaultTitle = inputs.size() == 1 ? QFileInfo(inputs.first()).fileName()
                                                    : QStringLiteral("Raport (plików: %1)").arg(inputs.size());
    if (!report.read(parser, defaultTitle, &settings, &error))
        return usageError(command, error);
    settings.outline = !parser.isSet(noOutline);
    settings.keepTogether = !parser.isSet(noKeepTogether);
    std::optional<int> first;
    if (parser.isSet(firstNumber) && !parser.isSet(numbered))
        return usageError(command, QStringLiteral("--first-number needs --numbered"));
    if (parser.isSet(numbered)) {
        bool ok = true;
        first = parser.isSet(firstNumber) ? parser.value(firstNumber).toInt(&ok) : 1;
        if (!ok || *first < 0)
            return usageError(command, QStringLiteral("--first-number takes a whole number from 0 to %1")
                              .arg(kMaxDocumentNumber));
    }

    InputReader reader;
    ImageLoader images(reader);
    QList<DocumentInput> documents;
    for (const QString &input : inputs) {
        QByteArray data;
        status = readInput(reader, input, &data);
        if (status != Success)
            return status;
        if (input.endsWith(QLatin1String(".json"), Qt::CaseInsensitive)) {
            if (!DocumentReader::fromJson(data, input, QFileInfo(input).absolutePath(), images,
                                          &documents, &error)) {
                if (SignalBridge::caught())
                    return reportCancelled();
                printError(error);
                return UsageError;
            }
            continue;
        }
        QStringList lines;
        status = decodeLines(data, input, &lines);
        if (status != Success)
            return status;
        documents.append(DocumentReader::fromLines(lines, input));
    }
    if (documents.isEmpty())
        return usageError(command, QStringLiteral("the inputs hold no documents"));
    // The numbers given in input order must all be numbers.
    if (first && *first + qint64(documents.size()) - 1 > kMaxDocumentNumber)
        return usageError(command, QStringLiteral("--first-number %1 numbers %2 documents past %3")
                          .arg(*first).arg(documents.size()).arg(kMaxDocumentNumber));

    const JobFactory makeJob = [&documents, first, &images](const CliJob::Settings &jobSettings) {
        auto notice = [](const QString &text) { printError(text); };
        return std::make_unique<CliJob>(jobSettings, std::make_unique<DocumentFeeder>(
                std::move(documents), first, images, notice));
    };
    return runReport(settings, makeJob, report.style(parser), QStringLiteral("of documents"),
                     parser.isSet(report.quiet), reader.filesRead());
}

int runQuickView(const QStringList &arguments)
{
    const QString command = QStringLiteral("quickview");
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
            "Prints printer lines as display lines: control sequences (ESC and one character)\n"
            "dropped, text after ESC E or ESC W spread to double width."));
    parser.addPositionalArgument(QStringLiteral("INPUT"), QStringLiteral("Text file (default: standard input)."),
                                 QStringLiteral("[INPUT]"));
    const QCommandLineOption cancelled(QStringLiteral("cancelled"),
                                       QStringLiteral("Print nothing; exit 0 when one of the last <n> lines "
                                                      "reads ANULOWANY, else 1 (0: all lines)."),
                                       QStringLiteral("n"));
    parser.addOption(cancelled);
    int status = Success;
    if (!parse(parser, command, arguments, &status))
        return status;
    if (parser.positionalArguments().size() > 1)
        return usageError(command, QStringLiteral("quickview takes at most one INPUT"));
    int window = 0;
    if (parser.isSet(cancelled)) {
        bool ok = false;
        window = parser.value(cancelled).toInt(&ok);
        if (!ok || window < 0)
            return usageError(command, QStringLiteral("--cancelled takes a whole number of 0 or more"));
    }

    InputReader reader;
    QStringList lines;
    status = readLines(reader, parser.positionalArguments().value(0, QStringLiteral("-")), &lines);
    if (status != Success)
        return status;
    const QStringList display = MvStringFormatter::quickViewFormat(lines);
    if (parser.isSet(cancelled)) {
        MvStringFormatter formatter;
        for (const QString &line : display)
            formatter.Append(line, false);
        return formatter.haveCancelledLine(window) ? Success : RenderFailed;
    }
    // SIGPIPE is ignored: a reader that went away shows as a failed write, which ends here.
    for (const QString &line : display) {
        // Written by length: a NUL inside a line goes out with the rest of it.
        const QByteArray bytes = line.toUtf8() + '\n';
        if (std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) != size_t(bytes.size()))
            break;
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        printError(QStringLiteral("cannot write standard output: %1")
                   .arg(QString::fromLocal8Bit(std::strerror(errno))));
        return RenderFailed;
    }
    return Success;
}

} // namespace

int run(const QStringList &arguments)
{
    const QString command = arguments.value(1);
    const QStringList rest = arguments.mid(2);
    if (command == QLatin1String("lines"))
        return runLines(rest);
    if (command == QLatin1String("documents"))
        return runDocuments(rest);
    if (command == QLatin1String("quickview"))
        return runQuickView(rest);
    if (command == QLatin1String("--help") || command == QLatin1String("-h")) {
        std::fputs(kUsage, stdout);
        return Success;
    }
    if (command == QLatin1String("--version") || command == QLatin1String("-v")) {
        std::printf("%s %s\n", qUtf8Printable(kProgram), qUtf8Printable(QCoreApplication::applicationVersion()));
        return Success;
    }
    if (command.isEmpty()) {
        std::fputs(kUsage, stderr);
        return UsageError;
    }
    return usageError(QString(), QStringLiteral("unknown command \"%1\"").arg(command));
}

} // namespace Commands
