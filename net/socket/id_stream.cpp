#include "net/socket/id_stream.h"

#include "net/socket/id_growth.h"

#include <algorithm>
#include <cstring>

void TIdMemoryStream::SetSize(int64_t size)
{
    ReserveBytes(FData, static_cast<size_t>(std::max<int64_t>(size, 0)));
    FData.resize(static_cast<size_t>(std::max<int64_t>(size, 0)));
}

void TIdMemoryStream::SetPosition(int64_t position)
{
    FPosition = std::max<int64_t>(position, 0);
}

int64_t TIdMemoryStream::Read(void* buffer, int64_t count)
{
    const int64_t available = Size() - FPosition;
    const int64_t n = std::clamp<int64_t>(count, 0, std::max<int64_t>(available, 0));
    if (n > 0) std::memcpy(buffer, FData.data() + FPosition, static_cast<size_t>(n));
    FPosition += n;
    return n;
}

int64_t TIdMemoryStream::Write(const void* buffer, int64_t count)
{
    if (count <= 0) return 0;
    const size_t end = static_cast<size_t>(FPosition + count);
    if (end > FData.size()) {
        ReserveBytes(FData, end);
        // Writing past the end of a stream whose position was moved beyond it leaves
        // zeros in the gap, like a sized memory stream.
        if (static_cast<size_t>(FPosition) > FData.size()) FData.resize(static_cast<size_t>(FPosition));
        FData.replace(static_cast<size_t>(FPosition), FData.size() - static_cast<size_t>(FPosition),
                      static_cast<const char*>(buffer), static_cast<size_t>(count));
    } else {
        std::memcpy(FData.data() + FPosition, buffer, static_cast<size_t>(count));
    }
    FPosition += count;
    return count;
}

TIdReserveTarget::TArea TIdMemoryStream::Reserve(int64_t count)
{
    const int64_t sizeBefore = Size();
    const int64_t capacity = std::max<int64_t>(count, 0);
    const size_t end = static_cast<size_t>(FPosition + capacity);
    if (end > FData.size()) {
        ReserveBytes(FData, end);
        FData.resize(end);
    }
    return {reinterpret_cast<uint8_t*>(FData.data() + FPosition), capacity, sizeBefore};
}

void TIdMemoryStream::Commit(const TArea& area, int64_t used)
{
    FPosition += std::clamp<int64_t>(used, 0, area.Capacity);
    const size_t kept = static_cast<size_t>(std::max(area.Mark, FPosition));
    if (FData.size() > kept) FData.resize(kept);
}

std::string TIdMemoryStream::TakeBytes()
{
    std::string bytes;
    bytes.swap(FData);
    FPosition = 0;
    return bytes;
}
