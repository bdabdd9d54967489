#include "commands.h"

#include "inputreader.h"
#include "signalbridge.h"
#include "textinput.h"
#include "tool.h"

#include <QCommandLineParser>
#include <QRegularExpression>
#include <QVector>

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace {

// How many single-letter edits turn a into b.
int editDistance(const QString &a, const QString &b)
{
    QVector<int> previous(b.size() + 1);
    for (int j = 0; j <= b.size(); ++j)
        previous[j] = j;
    for (int i = 1; i <= a.size(); ++i) {
        QVector<int> current(b.size() + 1);
        current[0] = i;
        for (int j = 1; j <= b.size(); ++j) {
            const int replace = previous[j - 1] + (a.at(i - 1) == b.at(j - 1) ? 0 : 1);
            current[j] = std::min({previous[j] + 1, current[j - 1] + 1, replace});
        }
        previous = current;
    }
    return previous[b.size()];
}

// Of candidates, the one most like given (letter case aside); empty when none is near enough
// to be what was meant.
QString nearest(const QString &given, const QStringList &candidates)
{
    // What was typed may be the start of one of them: that one.
    const QStringList started = candidates.filter(QRegularExpression(
            QStringLiteral("^") + QRegularExpression::escape(given.toLower())));
    if (started.size() == 1)
        return started.first();
    QString found;
    int best = std::max(2, int(given.size()) / 3) + 1;
    for (const QString &candidate : candidates) {
        const int distance = editDistance(given.toLower(), candidate);
        if (distance < best) {
            best = distance;
            found = candidate;
        }
    }
    return found;
}

// Why the arguments could not be read, in the tool's words where it has them: an unknown
// option as it was typed, with the command's option most like it.
QString parseError(const QCommandLineParser &parser, const QStringList &arguments)
{
    const QStringList unknown = parser.unknownOptionNames();
    if (unknown.isEmpty())
        return parser.errorText();
    const QString name = unknown.first();
    QString given = (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
    for (const QString &argument : arguments) {
        const QString typed = argument.section(QLatin1Char('='), 0, 0);
        const QString bare = QString(typed).remove(QRegularExpression(QStringLiteral("^--?")));
        if (typed.startsWith(QLatin1Char('-')) && (bare == name || (!typed.startsWith(QLatin1String("--")) && bare.startsWith(name)))) {
            given = typed;
            break;
        }
    }
    static const QRegularExpression optionName(QStringLiteral("(?:^|[\\s,])(--[a-z][a-z0-9-]*)"));
    QStringList options;
    for (auto match = optionName.globalMatch(parser.helpText()); match.hasNext();)
        options.append(match.next().captured(1));
    const QString meant = nearest(QStringLiteral("--") + given.mid(given.startsWith(QLatin1String("--")) ? 2 : 1), options);
    return meant.isEmpty() ? Tool::tr("unknown option %1").arg(given)
                           : Tool::tr("unknown option %1; did you mean %2?").arg(given, meant);
}

} // namespace

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
    // The help options in the tool's own words (Qt's would speak English in a Polish run); the
    // tool has no options of Qt's to add to the full help.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, Tool::tr("Show this help."));
    const QCommandLineOption helpAll(QStringLiteral("help-all"), Tool::tr("Show this help (as --help)."));
    parser.addOptions({help, helpAll});
    QStringList withProgram = arguments;
    withProgram.prepend(Tool::name() + QLatin1Char(' ') + command);
    if (!parser.parse(withProgram)) {
        *status = usageError(command, parseError(parser, arguments));
        return false;
    }
    if (parser.isSet(help) || parser.isSet(helpAll)) {
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
    if (command == QLatin1String("--help") || command == QLatin1String("-h") || command == QLatin1String("--help-all")) {
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
    const QString meant = nearest(command, {QStringLiteral("lines"), QStringLiteral("documents"), QStringLiteral("quickview"),
                                            QStringLiteral("--help"), QStringLiteral("--help-all"), QStringLiteral("--version")});
    if (!meant.isEmpty())
        return usageError(QString(), Tool::tr("unknown command \"%1\"; did you mean %2?").arg(command, meant));
    return usageError(QString(), Tool::tr("unknown command \"%1\"").arg(command));
}

} // namespace Commands
