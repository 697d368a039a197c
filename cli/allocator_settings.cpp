#include "cli/allocator_settings.h"

// Any C library header defines __GLIBC__ (through <features.h>); without
// one the test below would silently turn the settings off.
#include <cstdlib>

#if defined(__linux__) && defined(__GLIBC__)
#include <malloc.h>
#endif

namespace cli {

void tune_allocator() {
#if defined(__linux__) && defined(__GLIBC__)
    ::mallopt(M_MMAP_THRESHOLD, 32 << 20);  // glibc's largest
    ::mallopt(M_TRIM_THRESHOLD, 1 << 30);
    ::mallopt(M_ARENA_MAX, 1);
#endif
}

}  // namespace cli
