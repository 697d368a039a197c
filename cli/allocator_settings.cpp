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
            // The program's own path, not /proc/self/exe: the process keeps
            // its name ("twinel" in ps, pkill and the like).
            char self[4096];
            const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
            if (n > 0 && ::setenv("GLIBC_TUNABLES", value.c_str(), 1) == 0) {
                self[n] = '\0';
                ::execv(self, argv);
            }
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
