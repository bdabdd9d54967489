#ifndef COMMANDS_H
#define COMMANDS_H

#include <QStringList>

// The tool's commands. Exit statuses: 0 success, 1 a failed render, 2 a usage or input error,
// 130 cancelled by SIGINT or SIGTERM.
namespace Commands {

enum ExitStatus { Success = 0, RenderFailed = 1, UsageError = 2, Cancelled = 130 };

// arguments as QCoreApplication::arguments() gives them, the program first.
int run(const QStringList &arguments);

} // namespace Commands

#endif // COMMANDS_H
