#include "commands.h"

#include "inputreader.h"
#include "signalbridge.h"
#include "textinput.h"
#include "tool.h"

#include <QCommandLineParser>
#include <QRegularExpression>

#include <cstdio>
#include <unistd.h>

namespace Commands {

int usageError(const QString &command, const QString &message)
{
    Tool::printError(message);
    const QString help = Tool::name() + QLatin1Char(' ') + (command.isEmpty() ? QString() : command + QLatin1Char(' '))
            + QStringLiteral("--help");
    std::fprintf(stderr, "%s\n", qUtf8Printable(Tool::tr("Try '%1'.").arg(help)));
    return UsageError;
}

bool parse(QCommandLineParser &parser, const QString &command, const QString &usage,
           const QStringList &arguments, int *status)
{
    parser.addHelpOption();
    QStringList withProgram = arguments;
    withProgram.prepend(Tool::name() + QLatin1Char(' ') + command);
    if (!parser.parse(withProgram)) {
        *status = usageError(command, parser.errorText());
        return false;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        // Qt names the program by its path and lists the arguments itself: the first line
        // names the tool and the command instead.
        QString help = parser.helpText();
        const int lineEnd = help.indexOf(QLatin1Char('\n'));
        const QString first = help.left(lineEnd);
        const int colon = first.indexOf(QLatin1Char(':'));
        help.replace(0, lineEnd, first.left(colon + 1) + QLatin1Char(' ') + Tool::name() + QLatin1Char(' ')
                     + command + QLatin1Char(' ') + usage);
        std::fputs(qUtf8Printable(help), stdout);
        *status = Success;
        return false;
    }
    return true;
}

int reportCancelled()
{
    Tool::printError(Tool::tr("cancelled"));
    return Cancelled;
}

QCommandLineOption encodingOption()
{
    return QCommandLineOption(QStringLiteral("encoding"),
                              Tool::tr("Encoding of text inputs: utf-8 (the default), cp1250, iso-8859-2, "
                                       "cp852, utf-16 and others of iconv."),
                              QStringLiteral("name"));
}

int readInput(InputReader &reader, const QString &path, QByteArray *data)
{
    if (path == QLatin1String("-") && ::isatty(STDIN_FILENO))
        Tool::printError(Tool::tr("reading standard input from the terminal; end it with Ctrl-D"));
    QString error;
    switch (reader.read(path, data, &error)) {
    case InputReader::Result::Cancelled:
        return reportCancelled();
    case InputReader::Result::Refused:
        Tool::printError(error);
        return UsageError;
    case InputReader::Result::Ok:
        break;
    }
    return Success;
}

int decodeLines(const QByteArray &data, const QString &path, const QString &encoding, QStringList *lines)
{
    QString error;
    if (TextInput::decodeLines(data, InputReader::displayName(path), encoding, lines, &error))
        return Success;
    Tool::printError(error);
    return UsageError;
}

int readLines(InputReader &reader, const QString &path, const QString &encoding, QStringList *lines)
{
    QByteArray data;
    const int status = readInput(reader, path, &data);
    return status == Success ? decodeLines(data, path, encoding, lines) : status;
}

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
    const QString usage = Tool::tr(
            "Usage: %1 COMMAND [options]\n"
            "\n"
            "Commands:\n"
            "  lines INPUT -o OUT.pdf        render printout lines as a multi-column report\n"
            "  documents INPUT... -o OUT.pdf render documents (.txt or .json) one after another\n"
            "  quickview [INPUT]             turn printer lines into display lines\n"
            "\n"
            "Run '%1 COMMAND --help' for the options of a command, 'man %1' for the manual.\n"
            "Exit status: 0 success, 1 render failed, 2 usage or input error, 130 cancelled.\n").arg(Tool::name());
    if (command == QLatin1String("--help") || command == QLatin1String("-h")) {
        std::fputs(qUtf8Printable(usage), stdout);
        return Success;
    }
    if (command == QLatin1String("--version") || command == QLatin1String("-v")) {
        std::printf("%s %s\n", qUtf8Printable(Tool::name()), qUtf8Printable(QCoreApplication::applicationVersion()));
        return Success;
    }
    if (command.isEmpty()) {
        std::fputs(qUtf8Printable(usage), stderr);
        return UsageError;
    }
    return usageError(QString(), Tool::tr("unknown command \"%1\"").arg(command));
}

} // namespace Commands
