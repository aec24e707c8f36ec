#include "net/socket/id_growth.h"

#include "platform/large_memory.h"

#include <algorithm>

void ReserveBytes(std::string& bytes, size_t needed)
{
    if (needed <= bytes.capacity()) return;
    constexpr size_t largeArea = 4 * 1024 * 1024;
    if (std::max(needed, bytes.capacity() * 2) < largeArea) {
        bytes.reserve(std::max(needed, bytes.capacity() * 2));
        return;
    }
    // Large areas grow fourfold: each growth copies what is there, while room not yet
    // written costs no memory, only address space.
    const size_t capacity = std::max(needed, bytes.capacity() * 4);
    std::string larger;
    larger.reserve(capacity);
    AdviseLargeMemory(larger.data(), larger.capacity());
    larger.append(bytes);
    bytes.swap(larger);
}
