#include "cli/allocator_settings.h"

// Any C library header defines __GLIBC__ (through <features.h>); without
// one the test below would silently turn the settings off.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#if defined(__linux__) && defined(__GLIBC__)
#include <malloc.h>
#include <sys/mman.h>
#endif

namespace cli {

namespace {

#if defined(__linux__) && defined(__GLIBC__)

// The user's own word on huge pages (GLIBC_TUNABLES=glibc.malloc.hugetlb=N)
// wins: glibc then does what they asked and the heap is left alone.
bool user_chose_huge_pages() {
    const char* tunables = std::getenv("GLIBC_TUNABLES");
    return tunables != nullptr && std::strstr(tunables, "glibc.malloc.hugetlb") != nullptr;
}

// Address space the heap takes in advance counts as committed memory where
// the kernel keeps strict accounts (vm.overcommit_memory = 2): there it
// could refuse other programs memory, so nothing is reserved.
bool strict_overcommit() {
    std::FILE* mode = std::fopen("/proc/sys/vm/overcommit_memory", "r");
    if (mode == nullptr) return false;
    const bool strict = std::fgetc(mode) == '2';
    std::fclose(mode);
    return strict;
}

// The kernel's cost of one new 4 KiB page for this process, in
// microseconds: the fastest of four runs of 64 first writes to a fresh
// mapping (the fastest, so that a run the scheduler interrupted does not
// count). 0 where the mapping cannot be made.
double small_page_fault_microseconds() {
    constexpr std::size_t page = 4096, per_run = 64, runs = 4;
    const std::size_t bytes = page * per_run * runs;
    void* block = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED) return 0;
    ::madvise(block, bytes, MADV_NOHUGEPAGE);
    volatile char* bytes_of = static_cast<volatile char*>(block);
    double fastest = 1e9;
    for (std::size_t r = 0; r < runs; ++r) {
        const auto start = std::chrono::steady_clock::now();
        for (std::size_t k = 0; k < per_run; ++k) bytes_of[(r * per_run + k) * page] = 1;
        const std::chrono::duration<double, std::micro> took = std::chrono::steady_clock::now() - start;
        fastest = std::min(fastest, took.count() / per_run);
    }
    ::munmap(block, bytes);
    return fastest;
}

// Grows the heap by `bytes` of address space, marks the whole 2 MiB pages
// in it for huge pages and hands it back to the heap's free top, untouched.
void reserve_huge_page_heap(std::size_t bytes) {
    constexpr std::uintptr_t huge = std::uintptr_t(2) << 20;
    // No mapping of its own for this one block: it must extend the heap.
    ::mallopt(M_MMAP_MAX, 0);
    void* block = std::malloc(bytes);
    ::mallopt(M_MMAP_MAX, 65536);  // glibc's default
    if (block == nullptr) return;
    const std::uintptr_t from = (reinterpret_cast<std::uintptr_t>(block) + huge - 1) & ~(huge - 1);
    const std::uintptr_t to = (reinterpret_cast<std::uintptr_t>(block) + bytes) & ~(huge - 1);
    if (to > from) ::madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
    std::free(block);  // borders the top, so it joins it; the trim threshold keeps it
}

#endif

}  // namespace

bool heap_takes_huge_pages() {
#if defined(__linux__) && defined(__GLIBC__)
#if defined(__SANITIZE_ADDRESS__)
    return false;  // the address sanitizer would shadow all of it
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return false;
#endif
#endif
    return sizeof(void*) == 8 && !user_chose_huge_pages() && !strict_overcommit();
#else
    return false;
#endif
}

bool tune_allocator(huge_pages choice) {
#if defined(__linux__) && defined(__GLIBC__)
    ::mallopt(M_MMAP_THRESHOLD, 32 << 20);  // glibc's largest
    ::mallopt(M_TRIM_THRESHOLD, 1 << 30);
    ::mallopt(M_ARENA_MAX, 1);
    // One page fault per 2 MiB instead of 512 on a large array's first fill,
    // where 512 faults cost more than the host's backing of a new 2 MiB.
    if (heap_takes_huge_pages() && (choice == huge_pages::always ||
                                    small_page_fault_microseconds() > slow_page_fault_microseconds)) {
        reserve_huge_page_heap(std::size_t(768) << 20);
        return true;
    }
#else
    (void)choice;
#endif
    return false;
}

}  // namespace cli
