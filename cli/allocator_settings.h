// How the allocator serves a command on a large mesh.
//
// A million-vertex mesh fills a few hundred megabytes of fresh memory in
// arrays of one to thirty megabytes, made and freed phase after phase. On a
// virtual machine every page fault is costly, and every array the
// allocator maps anew is zero-filled page by page by the kernel: a third of
// the time of reading, pairing and writing such a mesh went there.
//
// Transparent huge pages (glibc.malloc.hugetlb=1) were tried and are not
// asked for: on a virtual machine whose recently freed memory is in small
// pieces, huge pages come from memory the host has not backed yet, and
// `twinel pair` on the million-vertex torus took 0.85 to 1.2 s with them
// against 0.77 to 0.78 s without (six runs each, interleaved).
#pragma once

namespace cli {

// Sets the allocator up for large arrays (glibc; elsewhere nothing): arrays
// up to 32 MiB come from the heap and stay there when freed, so the next
// phase reuses them instead of having new pages mapped and zeroed (the
// memory goes back to the system when the process ends); one arena serves
// all threads, so what the reader's threads free is reused by the pairing
// too.
void tune_allocator();

}  // namespace cli
