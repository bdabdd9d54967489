#include "commands.h"

#include "inputreader.h"
#include "mvstringformatter.h"
#include "textinput.h"
#include "tool.h"

#include <QCommandLineParser>

#include <cerrno>
#include <cstdio>

int Commands::runQuickView(const QStringList &arguments)
{
    const QString command = QStringLiteral("quickview");
    QCommandLineParser parser;
    parser.setApplicationDescription(Tool::tr(
            "Prints printer lines as display lines: control sequences (ESC and one character) dropped, "
            "text after ESC E or ESC W spread to double width."));
    parser.addPositionalArgument(Tool::tr("INPUT"), Tool::tr("Text file (default: standard input)."),
                                 Tool::tr("[INPUT]"));
    const QCommandLineOption cancelled(QStringLiteral("cancelled"),
                                       Tool::tr("Print nothing; exit 0 when one of the last <n> lines "
                                                "reads ANULOWANY, else 1 (0: all lines)."),
                                       QStringLiteral("n"));
    const QCommandLineOption encoding = encodingOption();
    parser.addOptions({cancelled, encoding});
    int status = Success;
    if (!parse(parser, command, Tool::tr("[options] [INPUT]"), arguments, &status))
        return status;
    if (parser.positionalArguments().size() > 1)
        return usageError(command, Tool::tr("quickview takes at most one INPUT"));
    if (!TextInput::knownEncoding(parser.value(encoding)))
        return usageError(command, Tool::tr("--encoding: unknown encoding \"%1\"").arg(parser.value(encoding)));
    int window = 0;
    if (parser.isSet(cancelled)) {
        bool ok = false;
        window = parser.value(cancelled).toInt(&ok);
        if (!ok || window < 0)
            return usageError(command, Tool::tr("--cancelled takes a whole number of 0 or more"));
    }

    InputReader reader;
    QStringList lines;
    status = readLines(reader, parser.positionalArguments().value(0, QStringLiteral("-")), parser.value(encoding),
                       &lines);
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
        // A reader that stopped reading (`| head`) ends the run quietly, as the conventional
        // death by SIGPIPE would.
        if (errno == EPIPE)
            return OutputClosed;
        Tool::printError(Tool::tr("cannot write standard output: %1").arg(Tool::systemError(errno)));
        return RenderFailed;
    }
    return Success;
}
