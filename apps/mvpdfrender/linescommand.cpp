#include "commands.h"

#include "documentreader.h"
#include "inputreader.h"
#include "mvlayout.h"
#include "mvstringformatter.h"
#include "reportoptions.h"
#include "reportrunner.h"
#include "tool.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QRegularExpression>

int Commands::runLines(const QStringList &arguments)
{
    const QString command = QStringLiteral("lines");
    QCommandLineParser parser;
    parser.setApplicationDescription(Tool::tr(
            "Renders printout lines (one per line) into a PDF report in 3 columns, or 2 on pages with "
            "lines longer than %1 characters. With SOURCE_DATE_EPOCH set, the same input and options "
            "give the same file, byte for byte.").arg(MvLayout::LongLineLength));
    parser.addPositionalArgument(Tool::tr("INPUT"), Tool::tr("Text file, or - for standard input."));
    const ReportOptions report;
    report.addTo(parser);
    const QCommandLineOption heading(QStringLiteral("heading"),
                                     Tool::tr("Heading line on top of every further column (repeatable)."),
                                     QStringLiteral("line"));
    const QCommandLineOption wide(QStringLiteral("wide"), Tool::tr("Every page in 2 columns."));
    const QCommandLineOption quickView(QStringLiteral("quick-view"),
                                       Tool::tr("Convert printer control sequences first."));
    const QCommandLineOption outlinePattern(QStringLiteral("outline-pattern"),
                                            Tool::tr("Make an outline entry (bookmark) of every line that "
                                                     "matches <regex>."),
                                            QStringLiteral("regex"));
    parser.addOptions({heading, wide, quickView, outlinePattern});
    int status = Success;
    if (!parse(parser, command, Tool::tr("[options] INPUT"), arguments, &status))
        return status;
    if (parser.positionalArguments().size() != 1)
        return usageError(command, Tool::tr("lines takes exactly one INPUT"));

    CliJob::Settings settings;
    QString error;
    const QString input = parser.positionalArguments().first();
    // The title is the report's, in its language whatever the tool speaks.
    const QString defaultTitle = input == QLatin1String("-") ? QStringLiteral("Raport") : QFileInfo(input).fileName();
    if (!report.read(parser, defaultTitle, &settings, &error))
        return usageError(command, error);
    settings.headings = parser.values(heading);
    settings.wide = parser.isSet(wide);
    settings.outlinePattern = parser.value(outlinePattern);
    const QRegularExpression outlineExpression(settings.outlinePattern);
    if (!outlineExpression.isValid())
        return usageError(command, Tool::tr("--outline-pattern: %1 at offset %2")
                          .arg(outlineExpression.errorString())
                          .arg(outlineExpression.patternErrorOffset()));

    InputReader reader;
    QByteArray data;
    status = readInput(reader, input, &data);
    if (status != Success)
        return status;
    if (DocumentReader::looksLikeDocuments(data, input)) {
        return usageError(command, Tool::tr("%1: this is a documents file: use %2 documents")
                          .arg(InputReader::displayName(input), Tool::name()));
    }
    QStringList lines;
    status = decodeLines(data, input, report.encoding(parser), &lines);
    // The lines are the text from now on: its bytes go.
    data = QByteArray();
    if (status != Success)
        return status;
    if (parser.isSet(quickView))
        lines = MvStringFormatter::quickViewFormat(lines);

    // The job is made once, and its list is then the only one.
    const ReportRunner::JobFactory makeJob = [&lines](const CliJob::Settings &jobSettings) {
        return std::make_unique<CliJob>(jobSettings, std::move(lines));
    };
    return ReportRunner::run(settings, makeJob, {report.style(parser), Tool::tr("of lines"), report.quiet(parser)},
                             reader.filesRead());
}
