#include "commands.h"

#include "clijob.h"
#include "documentfeeder.h"
#include "documentreader.h"
#include "mvstringformatter.h"
#include "progressview.h"
#include "signalbridge.h"
#include "textinput.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <unistd.h>

namespace Commands {
namespace {

const QString kProgram = QStringLiteral("mvpdfrender");
const QString kCancelledMessage = QStringLiteral("Generowanie dokumentu przerwane przez użytkownika.");
constexpr int kMaxPpi = 2400;

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

// Where a report is written: to a hidden file beside the target, renamed over it once the
// report is complete, so that a failed or cancelled run never leaves a partial file and
// never destroys an earlier one. Devices are written directly.
struct OutputTarget
{
    QString finalPath;
    QString writePath;

    bool open(const QString &path, QString *error);
    bool commit(QString *error) const;
    void discard() const;
};

bool OutputTarget::open(const QString &path, QString *error)
{
    QFileInfo info(path);
    if (info.isDir()) {
        *error = QStringLiteral("cannot write %1: it is a directory").arg(path);
        return false;
    }
    if (info.exists() && !info.isFile()) {
        finalPath = writePath = path;   // a device such as /dev/null
        return true;
    }
    if (info.isSymLink())
        info.setFile(info.symLinkTarget());
    finalPath = info.absoluteFilePath();
    writePath = QStringLiteral("%1/.%2.%3.part").arg(info.absolutePath(), info.fileName())
            .arg(QCoreApplication::applicationPid());
    QFile probe(writePath);
    if (!probe.open(QIODevice::WriteOnly)) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, probe.errorString());
        return false;
    }
    probe.close();
    probe.remove();
    return true;
}

bool OutputTarget::commit(QString *error) const
{
    if (writePath == finalPath)
        return true;
    if (::rename(QFile::encodeName(writePath).constData(), QFile::encodeName(finalPath).constData()) != 0) {
        *error = QStringLiteral("cannot write %1: %2").arg(finalPath, QString::fromLocal8Bit(std::strerror(errno)));
        discard();
        return false;
    }
    return true;
}

void OutputTarget::discard() const
{
    if (writePath != finalPath)
        QFile::remove(writePath);
}

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
    QCommandLineOption progress{QStringLiteral("progress"), QStringLiteral("Print a line per page.")};
    QCommandLineOption quiet{QStringLiteral("quiet"), QStringLiteral("Print nothing but errors.")};

    void addTo(QCommandLineParser &parser)
    {
        parser.addOptions({output, title, subtitle, place, ppi, debugOutline, progress, quiet});
    }

    // Fills settings; false with an error for bad values.
    bool read(const QCommandLineParser &parser, const QString &defaultTitle,
              CliJob::Settings *settings, QString *error) const
    {
        if (!parser.isSet(output)) {
            *error = QStringLiteral("missing the output file (-o OUT.pdf)");
            return false;
        }
        settings->output = parser.value(output);
        settings->title = parser.isSet(title) ? parser.value(title) : defaultTitle;
        settings->subtitle = parser.value(subtitle);
        settings->place = parser.value(place);
        settings->debugOutline = parser.isSet(debugOutline);
        if (parser.isSet(ppi)) {
            bool ok = false;
            settings->ppi = parser.value(ppi).toInt(&ok);
            if (!ok || settings->ppi < 1 || settings->ppi > kMaxPpi) {
                *error = QStringLiteral("--ppi takes a whole number from 1 to %1").arg(kMaxPpi);
                return false;
            }
        }
        return true;
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

bool readLines(const QString &path, QStringList *lines, QString *error)
{
    QByteArray data;
    return TextInput::readFile(path, &data, error)
            && TextInput::decodeLines(data, path == QLatin1String("-") ? QStringLiteral("standard input") : path,
                                      lines, error);
}

using JobFactory = std::function<std::unique_ptr<CliJob>(const CliJob::Settings &)>;

// Runs the job that makeJob builds for the settings, on the event loop, writing through an
// OutputTarget, showing progress and honouring SIGINT and SIGTERM.
int runReport(CliJob::Settings settings, const JobFactory &makeJob, ProgressView::Style style,
              const QString &noun, bool quiet)
{
    OutputTarget target;
    QString error;
    if (!target.open(settings.output, &error)) {
        printError(error);
        return RenderFailed;
    }
    settings.output = target.writePath;
    const std::unique_ptr<CliJob> job = makeJob(settings);

    ProgressView view(style);
    SignalBridge bridge;
    bool interrupted = false;
    QObject::connect(&bridge, &SignalBridge::interrupted, job.get(), [&]() {
        interrupted = true;
        job->abortReport();
    });
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

    if (result.isEmpty()) {
        if (!target.commit(&error)) {
            printError(error);
            return RenderFailed;
        }
        if (!quiet)
            std::fprintf(stderr, "%s: wrote %s (%d page%s)\n", qUtf8Printable(kProgram),
                         qUtf8Printable(target.finalPath), job->pagesWritten() + 1,
                         job->pagesWritten() == 0 ? "" : "s");
        return Success;
    }
    target.discard();
    printError(QString(result).replace(target.writePath, target.finalPath));
    return interrupted && result == kCancelledMessage ? Cancelled : RenderFailed;
}

int runLines(const QStringList &arguments)
{
    const QString command = QStringLiteral("lines");
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
            "Renders printout lines (UTF-8, one per line) into a PDF report in 3 columns, or 2\n"
            "on pages with lines longer than 50 characters."));
    parser.addPositionalArgument(QStringLiteral("INPUT"), QStringLiteral("Text file, or - for standard input."));
    ReportOptions report;
    report.addTo(parser);
    const QCommandLineOption heading(QStringLiteral("heading"),
                                     QStringLiteral("Heading line on top of every further column (repeatable)."),
                                     QStringLiteral("line"));
    const QCommandLineOption wide(QStringLiteral("wide"), QStringLiteral("Every page in 2 columns."));
    const QCommandLineOption quickView(QStringLiteral("quick-view"),
                                       QStringLiteral("Convert printer control sequences first."));
    parser.addOptions({heading, wide, quickView});
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

    QStringList lines;
    if (!readLines(input, &lines, &error)) {
        printError(error);
        return UsageError;
    }
    if (parser.isSet(quickView))
        lines = MvStringFormatter::quickViewFormat(lines);

    const JobFactory makeJob = [&lines](const CliJob::Settings &jobSettings) {
        return std::make_unique<CliJob>(jobSettings, lines);
    };
    return runReport(settings, makeJob, report.style(parser), QStringLiteral("of lines"),
                     parser.isSet(report.quiet));
}

int runDocuments(const QStringList &arguments)
{
    const QString command = QStringLiteral("documents");
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
            "Renders documents one after another through 2 or 3 columns per page. A .txt input\n"
            "is one document of printout lines; a .json input describes documents with items\n"
            "(see the README)."));
    parser.addPositionalArgument(QStringLiteral("INPUT..."), QStringLiteral(".txt or .json files."));
    ReportOptions report;
    report.addTo(parser);
    const QCommandLineOption numbered(QStringLiteral("numbered"),
                                      QStringLiteral("Number the documents in input order."));
    const QCommandLineOption firstNumber(QStringLiteral("first-number"),
                                         QStringLiteral("Number of the first document (default 1)."),
                                         QStringLiteral("n"));
    parser.addOptions({numbered, firstNumber});
    int status = Success;
    if (!parse(parser, command, arguments, &status))
        return status;
    const QStringList inputs = parser.positionalArguments();
    if (inputs.isEmpty())
        return usageError(command, QStringLiteral("documents takes at least one INPUT"));

    CliJob::Settings settings;
    QString error;
    if (!report.read(parser, QFileInfo(inputs.first()).fileName(), &settings, &error))
        return usageError(command, error);
    std::optional<int> first;
    if (parser.isSet(firstNumber) && !parser.isSet(numbered))
        return usageError(command, QStringLiteral("--first-number needs --numbered"));
    if (parser.isSet(numbered)) {
        bool ok = true;
        first = parser.isSet(firstNumber) ? parser.value(firstNumber).toInt(&ok) : 1;
        if (!ok)
            return usageError(command, QStringLiteral("--first-number takes a whole number"));
    }

    QList<DocumentInput> documents;
    for (const QString &input : inputs) {
        QByteArray data;
        if (!TextInput::readFile(input, &data, &error)) {
            printError(error);
            return UsageError;
        }
        if (input.endsWith(QLatin1String(".json"), Qt::CaseInsensitive)) {
            if (!DocumentReader::fromJson(data, input, QFileInfo(input).absolutePath(), &documents, &error)) {
                printError(error);
                return UsageError;
            }
            continue;
        }
        QStringList lines;
        if (!TextInput::decodeLines(data, input, &lines, &error)) {
            printError(error);
            return UsageError;
        }
        documents.append(DocumentReader::fromLines(lines));
    }

    const JobFactory makeJob = [&documents, first](const CliJob::Settings &jobSettings) {
        return std::make_unique<CliJob>(jobSettings,
                                        std::make_unique<DocumentFeeder>(std::move(documents), first));
    };
    return runReport(settings, makeJob, report.style(parser), QStringLiteral("of documents"),
                     parser.isSet(report.quiet));
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

    QStringList lines;
    QString error;
    if (!readLines(parser.positionalArguments().value(0, QStringLiteral("-")), &lines, &error)) {
        printError(error);
        return UsageError;
    }
    const QStringList display = MvStringFormatter::quickViewFormat(lines);
    if (parser.isSet(cancelled)) {
        MvStringFormatter formatter;
        for (const QString &line : display)
            formatter.Append(line, false);
        return formatter.haveCancelledLine(window) ? Success : RenderFailed;
    }
    for (const QString &line : display)
        std::printf("%s\n", line.toUtf8().constData());
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
