#include "platform/large_memory.h"

#include <cstdint>
#include <sys/mman.h>

void AdviseLargeMemory(void* data, size_t size)
{
    constexpr uintptr_t largePage = 2 * 1024 * 1024;
    // Only whole large pages inside the area can be advised.
    const uintptr_t first = reinterpret_cast<uintptr_t>(data);
    const uintptr_t begin = (first + largePage - 1) & ~(largePage - 1);
    const uintptr_t end = (first + size) & ~(largePage - 1);
    if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}
