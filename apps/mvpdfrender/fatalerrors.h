#ifndef FATALERRORS_H
#define FATALERRORS_H

// The tool's last line of defence: when the process cannot go on (memory ran out, an exception
// nobody caught, a crash inside a library), it removes a named work file, says why in one line
// on standard error and exits with the status of a failed render.
namespace FatalErrors {

// Installs the terminate handler and the crash handlers.
void install();
// Installs, unless a sanitizer watches the process, handlers for SIGSEGV and SIGBUS. Needs
// nothing initialised: the tool calls it before any library's initialisers run.
void installCrashHandlers();
// Puts the messages into the tool's language, once its translation is installed.
void translate();

[[noreturn]] void outOfMemory();

} // namespace FatalErrors

#endif // FATALERRORS_H
