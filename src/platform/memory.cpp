#include "platform/memory.h"

#include <cstdlib> // defines __GLIBC__ on the GNU C library

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace platform {

void keepFreedMemoryShort() {
#if defined(__GLIBC__)
    // Left to itself, glibc raises both limits after the first big block is
    // freed (up to 32 and 64 MiB), so that the next decoded picture comes from
    // a heap that then keeps its pages, and the top of a worker thread's heap
    // is never trimmed (malloc_trim does not reach it). Setting them fixes
    // them at these sizes.
    constexpr int BigBlock = 256 * 1024;
    mallopt(M_MMAP_THRESHOLD, BigBlock);
    mallopt(M_TRIM_THRESHOLD, BigBlock);
    // One heap per core by default, each keeping what its threads freed; the
    // program's few workers take turns rather than racing for memory.
    mallopt(M_ARENA_MAX, 2);
#endif
}

void releaseFreedMemory() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

} // namespace platform
