#pragma once
// A batch run of a large report touches hundreds of megabytes of small heap blocks (cells,
// rows, text, query values) once each. With the kernel's default 4 KiB pages every first touch
// is a page fault, and on a virtual machine faults cost a quarter of such a run. Transparent huge
// pages cut the faults by 512 where the system leaves them to the program (the usual "madvise"
// setting), so the batch front end reserves one large heap region up front, asks for huge pages
// on it and keeps freed memory in the process. Nothing changes where the system has huge pages
// always on or off, or where the region cannot be reserved: malloc then works as before.
// Only for short-lived batch processes: the heap is never given back to the system.

#include <cstddef>

namespace brevant {

constexpr size_t kHugePageHeap = size_t(1) << 30;

// Returns the size of the region advised (0 where none could be).
size_t preferHugePagesForTheHeap(size_t reserve = kHugePageHeap);

} // namespace brevant
