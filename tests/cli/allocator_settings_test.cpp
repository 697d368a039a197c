#include "cli/allocator_settings.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#if defined(__linux__) && defined(__GLIBC__)
#include <malloc.h>
#endif

// The settings must reach the allocator: a 16 MiB array then comes from the
// heap, not from a mapping of its own that is unmapped and zero-filled anew
// each time.
TEST(allocator_settings, arrays_up_to_32_mib_come_from_the_heap) {
#if defined(__linux__) && defined(__GLIBC__)
    cli::tune_allocator();
    const std::size_t mapped = mallinfo2().hblkhd;
    void* block = std::malloc(16u << 20);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(mallinfo2().hblkhd, mapped);
    std::free(block);
#else
    GTEST_SKIP() << "only the GNU C library is tuned";
#endif
}

#if defined(__linux__) && defined(__GLIBC__)
namespace {
// Kilobytes of anonymous memory in huge pages, from /proc/self/smaps_rollup;
// -1 when the kernel offers no huge pages to ask for.
long anon_huge_kb() {
    std::FILE* mode = std::fopen("/sys/kernel/mm/transparent_hugepage/enabled", "r");
    if (mode == nullptr) return -1;
    char text[128] = {};
    const bool offered = std::fgets(text, sizeof text, mode) != nullptr && std::strstr(text, "[never]") == nullptr;
    std::fclose(mode);
    std::FILE* rollup = offered ? std::fopen("/proc/self/smaps_rollup", "r") : nullptr;
    if (rollup == nullptr) return -1;
    long kb = -1;
    char line[256];
    while (std::fgets(line, sizeof line, rollup) != nullptr)
        if (std::sscanf(line, "AnonHugePages: %ld kB", &kb) == 1) break;
    std::fclose(rollup);
    return kb;
}
}  // namespace
#endif

// Where the heap was reserved in huge pages, a large array filled for the
// first time lands in them (one page fault per 2 MiB instead of 512).
TEST(allocator_settings, new_heap_memory_comes_in_huge_pages_when_reserved) {
#if defined(__linux__) && defined(__GLIBC__)
    if (!cli::heap_takes_huge_pages()) GTEST_SKIP() << "huge pages not asked for here";
    const long before = anon_huge_kb();
    if (before < 0) GTEST_SKIP() << "the kernel offers no huge pages";
    ASSERT_TRUE(cli::tune_allocator(cli::huge_pages::always));
    const std::size_t bytes = std::size_t(24) << 20;
    char* block = static_cast<char*>(std::malloc(bytes));
    ASSERT_NE(block, nullptr);
    std::memset(block, 1, bytes);
    EXPECT_GE(anon_huge_kb() - before, 16 * 1024);
    std::free(block);
#else
    GTEST_SKIP() << "only the GNU C library is tuned";
#endif
}
