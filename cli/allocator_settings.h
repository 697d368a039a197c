// How the allocator serves a command on a large mesh.
//
// A million-vertex mesh fills a few hundred megabytes of fresh memory in
// arrays of one to thirty megabytes, made and freed phase after phase. On a
// virtual machine every page fault is costly, and every array the
// allocator maps anew is zero-filled page by page by the kernel: a third of
// the time of reading, pairing and writing such a mesh went there.
//
// On the paravirtualised machines we measure on, a page fault costs about
// 10 us whether or not the memory was used before, so filling 200 MB page
// by page took half a second. The heap therefore takes address space in
// advance marked for transparent huge pages (one fault per 2 MiB). On an
// earlier kind of machine huge pages were slower (they came from memory its
// host had not backed yet); a user who finds them so sets
// GLIBC_TUNABLES=glibc.malloc.hugetlb=0, which leaves the heap alone.
#pragma once

namespace cli {

// Sets the allocator up for large arrays (glibc; elsewhere nothing): arrays
// up to 32 MiB come from the heap and stay there when freed, so the next
// phase reuses them instead of having new pages mapped and zeroed (the
// memory goes back to the system when the process ends); one arena serves
// all threads, so what the reader's threads free is reused by the pairing
// too; and 768 MiB of address space (not memory: nothing is touched) is
// taken for the heap in advance, marked for huge pages. Not done where the
// user set glibc.malloc.hugetlb, under strict overcommit, or under the
// address sanitizer.
void tune_allocator();

// Whether tune_allocator reserves the heap in huge pages here: 64-bit
// glibc, the user has not set glibc.malloc.hugetlb, no strict overcommit,
// no address sanitizer.
bool heap_takes_huge_pages();

}  // namespace cli
