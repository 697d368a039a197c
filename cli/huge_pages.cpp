#include "cli/huge_pages.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#if defined(__linux__) && defined(__GLIBC__)
#include <unistd.h>
#endif

namespace cli {

void restart_with_huge_pages(char** argv) {
#if defined(__linux__) && defined(__GLIBC__)
    const char* tunables = std::getenv("GLIBC_TUNABLES");
    if (tunables && std::strstr(tunables, "glibc.malloc.hugetlb")) return;  // set already (by us or the user)
    std::string mode;
    std::getline(std::ifstream("/sys/kernel/mm/transparent_hugepage/enabled"), mode);
    if (mode.find("[madvise]") == std::string::npos) return;  // "always" needs no asking, "never" gives none
    const std::string value =
        (tunables && *tunables ? std::string(tunables) + ":" : std::string()) + "glibc.malloc.hugetlb=1";
    if (::setenv("GLIBC_TUNABLES", value.c_str(), 1) != 0) return;
    ::execv("/proc/self/exe", argv);
    // Only a failed exec gets here: run without huge pages, and leave the
    // variable set so that programs started from here do not try again.
#else
    (void)argv;
#endif
}

}  // namespace cli
