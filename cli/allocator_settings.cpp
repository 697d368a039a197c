#include "cli/allocator_settings.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#if defined(__linux__) && defined(__GLIBC__)
#include <malloc.h>
#include <unistd.h>
#endif

namespace cli {

void tune_allocator(char** argv) {
#if defined(__linux__) && defined(__GLIBC__)
    const char* tunables = std::getenv("GLIBC_TUNABLES");
    if (!tunables || !std::strstr(tunables, "glibc.malloc.hugetlb")) {
        std::string mode;
        std::getline(std::ifstream("/sys/kernel/mm/transparent_hugepage/enabled"), mode);
        // "always" needs no asking, "never" gives none.
        if (mode.find("[madvise]") != std::string::npos) {
            const std::string value =
                (tunables && *tunables ? std::string(tunables) + ":" : std::string()) + "glibc.malloc.hugetlb=1";
            if (::setenv("GLIBC_TUNABLES", value.c_str(), 1) == 0) ::execv("/proc/self/exe", argv);
            // Only a failed exec gets here: run without huge pages, and
            // leave the variable set so that programs started from here do
            // not try again.
        }
    }
    ::mallopt(M_MMAP_THRESHOLD, 32 << 20);  // glibc's largest
    ::mallopt(M_TRIM_THRESHOLD, 1 << 30);
    ::mallopt(M_ARENA_MAX, 1);
#else
    (void)argv;
#endif
}

}  // namespace cli
