#include "frontends/heap_pages.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

namespace brevant {

namespace {

constexpr uintptr_t kHugePage = uintptr_t(2) << 20;

} // namespace

size_t preferHugePagesForTheHeap(size_t reserve) {
  // Freed blocks stay in the heap for the next ones instead of going back to the system and
  // faulting in again; blocks up to 64 MiB come from the heap too.
  mallopt(M_TRIM_THRESHOLD, static_cast<int>(reserve));
  mallopt(M_MMAP_THRESHOLD, 64 << 20);
  // Grow the heap once by `reserve`: a block just larger than the free space at its top forces
  // the growth, and the top pad makes it that large. Untouched, the region costs no memory.
  mallopt(M_TOP_PAD, static_cast<int>(reserve));
  auto *before = static_cast<char *>(sbrk(0));
  // volatile: the compiler may drop a block that is only allocated and freed.
  void *volatile block = malloc(mallinfo2().keepcost + 4096);
  auto *after = static_cast<char *>(sbrk(0));
  free(block);
  mallopt(M_TOP_PAD, 16 << 20);
  if (before == reinterpret_cast<char *>(-1) || after <= before)
    return 0;
  const uintptr_t start = (reinterpret_cast<uintptr_t>(before) + kHugePage - 1) & ~(kHugePage - 1);
  const uintptr_t end = reinterpret_cast<uintptr_t>(after) & ~(kHugePage - 1);
  if (end <= start || madvise(reinterpret_cast<void *>(start), end - start, MADV_HUGEPAGE) != 0)
    return 0;
  return end - start;
}

} // namespace brevant
