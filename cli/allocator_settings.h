// How the allocator serves a command on a large mesh.
//
// A million-vertex mesh fills a few hundred megabytes of fresh memory in
// arrays of one to thirty megabytes, made and freed phase after phase. On a
// virtual machine every page fault is costly, and every array the
// allocator maps anew is zero-filled page by page by the kernel: a third of
// the time of reading, pairing and writing such a mesh went there.
//
// What a page costs depends on the machine. On the paravirtualised
// machines we measure on, a 4 KiB page fault costs about 10 us whether or
// not the memory was used before, so filling 200 MB page by page took half
// a second, and huge pages (one fault per 2 MiB) took 0.3 s when new to the
// machine and 0.02 s when just freed. On hardware-virtualised machines a 4
// KiB fault costs about 2 us (0.08 s for 200 MB) while a huge page the host
// has not backed yet costs about 5 ms (0.54 s for 200 MB after a few
// seconds of idle, when the guest has given its free memory back). So the
// heap takes address space in advance marked for huge pages only where a
// 4 KiB fault, measured at start (a quarter of a millisecond), costs more
// than slow_page_fault_microseconds. A user who knows better sets
// GLIBC_TUNABLES=glibc.malloc.hugetlb=N, which leaves the heap to glibc.
#pragma once

namespace cli {

// Sets the allocator up for large arrays (glibc; elsewhere nothing): arrays
// up to 32 MiB come from the heap and stay there when freed, so the next
// phase reuses them instead of having new pages mapped and zeroed (the
// memory goes back to the system when the process ends); one arena serves
// all threads, so what the reader's threads free is reused by the pairing
// too; and, where small page faults are slow, 768 MiB of address space
// (not memory: nothing is touched) is taken for the heap in advance, marked
// for huge pages (with huge_pages::always, wherever it may be). Returns
// whether it was; never where heap_takes_huge_pages() is false.
enum class huge_pages { where_faults_are_slow, always };
bool tune_allocator(huge_pages choice = huge_pages::where_faults_are_slow);

// Whether tune_allocator may reserve the heap in huge pages here: 64-bit
// glibc, the user has not set glibc.malloc.hugetlb, no strict overcommit,
// no address sanitizer.
bool heap_takes_huge_pages();

// The cost of a 4 KiB page fault above which huge pages pay even for
// memory the host has yet to back.
constexpr double slow_page_fault_microseconds = 5.0;

}  // namespace cli
