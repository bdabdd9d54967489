#ifndef TESTSCALE_H
#define TESTSCALE_H

// The size of the stress cases. Under the sanitizers, which look for memory faults rather than
// at scale and run many times slower, they are smaller, so that each test stays within its
// limit on a loaded machine; the normal run has the full cases.
namespace TestScale {

#ifdef __SANITIZE_ADDRESS__
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

constexpr int sized(int full, int sanitized)
{
    return kSanitized ? sanitized : full;
}

} // namespace TestScale

#endif // TESTSCALE_H
