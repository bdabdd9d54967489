// Loaded into the tool with LD_PRELOAD by tst_cli: crashes while the libraries are initialised,
// before main(), as an allocator does that cannot even start under a tight memory limit.
#include <csignal>

namespace {

__attribute__((constructor)) void crashBeforeMain()
{
    std::raise(SIGSEGV);
}

} // namespace
