#include "fatalerrors.h"

#include "commands.h"
#include "pdfoutput.h"
#include "tool.h"

#include <csignal>
#include <cstring>
#include <exception>
#include <new>
#include <sys/resource.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define MVPDFRENDER_SANITIZED
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define MVPDFRENDER_SANITIZED
#endif
#endif

namespace {

// The messages, made ready in the tool's language before anything can fail: writing them
// then needs no memory.
constexpr size_t kMessageBytes = 256;
char outOfMemoryText[kMessageBytes] = MVPDFRENDER_TOOL_NAME ": out of memory\n";
char internalErrorText[kMessageBytes] = MVPDFRENDER_TOOL_NAME ": internal error, stopped\n";

void prepare(char (&buffer)[kMessageBytes], const QString &message)
{
    const QByteArray text = (Tool::name() + QStringLiteral(": ") + message).toUtf8().left(kMessageBytes - 2) + '\n';
    std::memcpy(buffer, text.constData(), size_t(text.size()));
    buffer[text.size()] = '\0';
}

// Whether the address space is limited (ulimit -v): then a crash inside a library is most
// likely an allocation that failed where nobody checks.
bool memoryLimited = false;

// Writes with write(2), which needs no memory, and ends the process at once.
[[noreturn]] void stop(const char *message)
{
    PDFOutput::emergencyCleanup();
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, message, std::strlen(message));
    ::_exit(Commands::RenderFailed);
}

[[noreturn]] void onTerminate()
{
    try {
        if (const std::exception_ptr current = std::current_exception())
            std::rethrow_exception(current);
    } catch (const std::bad_alloc &) {
        stop(outOfMemoryText);
    } catch (...) {
    }
    stop(internalErrorText);
}

[[maybe_unused]] void onCrash(int)
{
    if (memoryLimited)
        stop(outOfMemoryText);
    stop(internalErrorText);
}

} // namespace

namespace FatalErrors {

void install()
{
    std::set_terminate(onTerminate);
    installCrashHandlers();
}

void installCrashHandlers()
{
#ifndef MVPDFRENDER_SANITIZED
    struct rlimit limit {};
    memoryLimited = ::getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY;
    struct sigaction action {};
    action.sa_handler = onCrash;
    sigemptyset(&action.sa_mask);
    // A crash inside the handler itself then ends the process the ordinary way.
    action.sa_flags = SA_RESETHAND;
    ::sigaction(SIGSEGV, &action, nullptr);
    ::sigaction(SIGBUS, &action, nullptr);
#endif
}

void translate()
{
    prepare(outOfMemoryText, Tool::tr("out of memory"));
    prepare(internalErrorText, Tool::tr("internal error, stopped"));
}

void outOfMemory()
{
    stop(outOfMemoryText);
}

} // namespace FatalErrors
