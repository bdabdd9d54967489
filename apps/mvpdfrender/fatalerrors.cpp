#include "fatalerrors.h"

#include "commands.h"
#include "outputtarget.h"

#include <csignal>
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

const char kOutOfMemory[] = "mvpdfrender: out of memory\n";
const char kInternalError[] = "mvpdfrender: internal error, stopped\n";

// Whether the address space is limited (ulimit -v): then a crash inside a library is most
// likely an allocation that failed where nobody checks.
bool memoryLimited = false;

// Writes with write(2), which needs no memory, and ends the process at once.
template<size_t N>
[[noreturn]] void stop(const char (&message)[N])
{
    OutputTarget::emergencyCleanup();
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, message, N - 1);
    ::_exit(Commands::RenderFailed);
}

[[noreturn]] void onTerminate()
{
    try {
        if (const std::exception_ptr current = std::current_exception())
            std::rethrow_exception(current);
    } catch (const std::bad_alloc &) {
        stop(kOutOfMemory);
    } catch (...) {
    }
    stop(kInternalError);
}

[[maybe_unused]] void onCrash(int)
{
    if (memoryLimited)
        stop(kOutOfMemory);
    stop(kInternalError);
}

} // namespace

namespace FatalErrors {

void install()
{
    std::set_terminate(onTerminate);
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

void outOfMemory()
{
    stop(kOutOfMemory);
}

} // namespace FatalErrors
