#include "cli/allocator_settings.h"

#include <gtest/gtest.h>

#include <cstdlib>

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
