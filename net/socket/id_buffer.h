#pragma once
#include "net/socket/id_stream.h"

#include <cstdint>
#include <string>
#include <string_view>

// Received bytes not yet consumed, oldest first. Removing from the front is cheap (an
// offset moves; the storage is compacted only when the dead part outgrows the live one),
// so consuming a large buffer piece by piece stays linear.
class TIdBuffer : public TIdStream {
public:
    TIdBuffer() = default;

    int64_t Size() const override { return static_cast<int64_t>(FData.size() - FStart); }
    void SetSize(int64_t size) override;
    int64_t Position() const override { return FPosition; }
    void SetPosition(int64_t position) override;
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;

    // The first byte; valid until the next change.
    uint8_t* Memory() { return reinterpret_cast<uint8_t*>(FData.data() + FStart); }
    const uint8_t* Memory() const { return reinterpret_cast<const uint8_t*>(FData.data() + FStart); }
    std::string_view View() const { return std::string_view(FData).substr(FStart); }

    // Drops the first count bytes; more than the buffer holds raises
    // EIdNotEnoughDataInBuffer.
    void Remove(int64_t count);
    void Append(const void* bytes, int64_t count);
    void Clear();

private:
    std::string FData;
    size_t FStart = 0;
    int64_t FPosition = 0;
};
