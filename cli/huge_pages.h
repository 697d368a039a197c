// Transparent huge pages for the allocator.
//
// A million-vertex mesh fills several hundred megabytes of fresh memory,
// and on a virtual machine every 4 KiB page fault is costly: a third of the
// time of reading, pairing and writing such a mesh went to faults. When the
// kernel gives huge pages only to memory that asks for them ("madvise"
// mode), glibc's allocator asks only when its tunable glibc.malloc.hugetlb
// is set, and tunables are read when a program starts.
#pragma once

namespace cli {

// Starts the program again, with the same arguments and glibc.malloc.hugetlb=1
// added to GLIBC_TUNABLES, when the kernel's transparent huge pages are in
// "madvise" mode and the tunable is not set yet (a value set by the user,
// 0 included, is kept). Returns when there is nothing to do or the restart
// failed; the program then runs as it is.
void restart_with_huge_pages(char** argv);

}  // namespace cli
