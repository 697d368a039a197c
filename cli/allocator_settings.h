// How the allocator serves a command on a large mesh.
//
// A million-vertex mesh fills several hundred megabytes of fresh memory in
// arrays of one to thirty megabytes, made and freed phase after phase. On a
// virtual machine every page fault is costly, and every array the
// allocator maps anew is zero-filled page by page by the kernel: a third of
// the time of reading, pairing and writing such a mesh went there.
#pragma once

namespace cli {

// Sets the allocator up for large arrays (glibc; elsewhere nothing):
// - arrays up to 32 MiB come from the heap and stay there when freed, so
//   the next phase reuses them instead of having new pages mapped and
//   zeroed (the memory goes back to the system when the process ends);
//   one arena serves all threads, so what the reader's threads free is
//   reused by the pairing too;
// - when the kernel gives transparent huge pages only to memory that asks
//   for them ("madvise" mode) and GLIBC_TUNABLES does not set
//   glibc.malloc.hugetlb yet (a value the user set, 0 included, is kept),
//   the program starts again, with the same arguments and
//   glibc.malloc.hugetlb=1 added: tunables are read only at start. Returns
//   when there is nothing to restart for or the restart failed.
void tune_allocator(char** argv);

}  // namespace cli
