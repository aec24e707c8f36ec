#pragma once
#include "net/socket/id_stream.h"

#include <cstdint>
#include <string>
#include <string_view>

// Received bytes not yet consumed, oldest first. Removing from the front is cheap (an
// offset moves; the storage is compacted only when the dead part outgrows the live one),
// so consuming a large buffer piece by piece stays linear.
class TIdBuffer : public TIdStream, public TIdReserveTarget {
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
    // Empties the buffer; its storage is kept for the next bytes.
    void Clear();
    // Empties the buffer and gives its storage back.
    void Release();
    // Every byte, leaving the buffer empty (no copy when nothing was removed from the front).
    std::string Extract();
    int64_t Capacity() const { return static_cast<int64_t>(FData.capacity()); }

protected:
    // Room at the end, to receive into (see TIdReservation).
    TArea Reserve(int64_t count) override;
    void Commit(const TArea& area, int64_t used) override;

private:
    std::string FData;
    size_t FStart = 0;
    int64_t FPosition = 0;
};
