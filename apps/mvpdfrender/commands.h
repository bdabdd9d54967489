#ifndef COMMANDS_H
#define COMMANDS_H

#include <QStringList>

class InputReader;
class QByteArray;
class QCommandLineOption;
class QCommandLineParser;
class QString;

// The tool's commands, each in a file of its own, and what they share: parsing with help,
// messages, reading inputs. Exit statuses: 0 success, 1 a failed render, 2 a usage or input
// error, 130 cancelled by a signal, 141 standard output closed by its reader.
namespace Commands {

enum ExitStatus { Success = 0, RenderFailed = 1, UsageError = 2, Cancelled = 130, OutputClosed = 141 };

// arguments as QCoreApplication::arguments() gives them, the program first.
int run(const QStringList &arguments);

// The commands; arguments: those after the command's name.
int runLines(const QStringList &arguments);
int runDocuments(const QStringList &arguments);
int runQuickView(const QStringList &arguments);

// Says message and where to find help; returns UsageError.
int usageError(const QString &command, const QString &message);
// Parses the arguments after the command; prints the help (its first line naming the tool,
// the command and usage, such as "[options] INPUT") and returns false when asked for it, or
// says what is wrong and returns false with *status set.
bool parse(QCommandLineParser &parser, const QString &command, const QString &usage,
           const QStringList &arguments, int *status);
// Says that the run was cancelled; returns Cancelled.
int reportCancelled();

// The option --encoding NAME of the commands that read text.
QCommandLineOption encodingOption();
// Reads path ("-" for standard input); returns the exit status, having said why it failed.
int readInput(InputReader &reader, const QString &path, QByteArray *data);
// The lines of data read from path in encoding (empty: UTF-8); the exit status likewise.
int decodeLines(const QByteArray &data, const QString &path, const QString &encoding, QStringList *lines);
// Both of the above.
int readLines(InputReader &reader, const QString &path, const QString &encoding, QStringList *lines);

} // namespace Commands

#endif // COMMANDS_H
