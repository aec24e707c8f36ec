#include "net/socket/id_buffer.h"

#include "net/socket/id_exceptions.h"
#include "net/socket/id_growth.h"

#include <algorithm>
#include <cstring>

void TIdBuffer::SetSize(int64_t size)
{
    const size_t wanted = FStart + static_cast<size_t>(std::max<int64_t>(size, 0));
    ReserveBytes(FData, wanted);
    FData.resize(wanted);
}

void TIdBuffer::SetPosition(int64_t position)
{
    FPosition = std::max<int64_t>(position, 0);
}

int64_t TIdBuffer::Read(void* buffer, int64_t count)
{
    const int64_t available = Size() - FPosition;
    const int64_t n = std::clamp<int64_t>(count, 0, std::max<int64_t>(available, 0));
    if (n > 0) std::memcpy(buffer, Memory() + FPosition, static_cast<size_t>(n));
    FPosition += n;
    return n;
}

int64_t TIdBuffer::Write(const void* buffer, int64_t count)
{
    if (count <= 0) return 0;
    if (FPosition + count > Size()) SetSize(FPosition + count);
    std::memcpy(Memory() + FPosition, buffer, static_cast<size_t>(count));
    FPosition += count;
    return count;
}

void TIdBuffer::Remove(int64_t count)
{
    if (count <= 0) return;
    if (count > Size()) throw EIdNotEnoughDataInBuffer();
    if (count == Size()) {
        Clear();
        return;
    }
    FStart += static_cast<size_t>(count);
    FPosition = std::max<int64_t>(FPosition - count, 0);
    // Compact once the consumed part is larger than what is left, so memory stays
    // bounded and every byte is moved a bounded number of times.
    if (FStart > FData.size() - FStart) {
        FData.erase(0, FStart);
        FStart = 0;
    }
}

void TIdBuffer::Append(const void* bytes, int64_t count)
{
    if (count <= 0) return;
    ReserveBytes(FData, FData.size() + static_cast<size_t>(count));
    FData.append(static_cast<const char*>(bytes), static_cast<size_t>(count));
}

TIdReserveTarget::TArea TIdBuffer::Reserve(int64_t count)
{
    const size_t end = FData.size();
    const int64_t capacity = std::max<int64_t>(count, 0);
    ReserveBytes(FData, end + static_cast<size_t>(capacity));
    FData.resize(end + static_cast<size_t>(capacity));
    return {reinterpret_cast<uint8_t*>(FData.data() + end), capacity, static_cast<int64_t>(end)};
}

void TIdBuffer::Commit(const TArea& area, int64_t used)
{
    FData.resize(static_cast<size_t>(area.Mark + std::clamp<int64_t>(used, 0, area.Capacity)));
}

void TIdBuffer::Release()
{
    std::string().swap(FData);
    FStart = 0;
    FPosition = 0;
}

std::string TIdBuffer::Extract()
{
    if (FStart > 0) FData.erase(0, FStart);
    std::string bytes;
    bytes.swap(FData);
    FStart = 0;
    FPosition = 0;
    return bytes;
}

void TIdBuffer::Clear()
{
    FData.clear();
    FStart = 0;
    FPosition = 0;
}
