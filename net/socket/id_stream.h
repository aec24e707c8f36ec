#pragma once
#include "net/socket/id_reservation.h"

#include <cstdint>
#include <string>

// A byte stream with a size and a position, as the connection reads into and sends from.
class TIdStream {
public:
    virtual ~TIdStream() = default;

    virtual int64_t Size() const = 0;
    // Growing fills with zero bytes; the position is not moved.
    virtual void SetSize(int64_t size) = 0;
    virtual int64_t Position() const = 0;
    virtual void SetPosition(int64_t position) = 0;
    // Reads up to count bytes at the position and moves past them; returns how many.
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    // Writes at the position (growing the stream as needed) and moves past them.
    virtual int64_t Write(const void* buffer, int64_t count) = 0;

    // For a stream that holds its bytes in memory: the target that receives in place at
    // the position (see TIdReservation); null when the stream has none.
    virtual TIdReserveTarget* InPlaceTarget() { return nullptr; }
};

// A stream held in memory.
class TIdMemoryStream : public TIdStream, public TIdReserveTarget {
public:
    TIdMemoryStream() = default;
    explicit TIdMemoryStream(std::string bytes) : FData(std::move(bytes)) {}

    int64_t Size() const override { return static_cast<int64_t>(FData.size()); }
    void SetSize(int64_t size) override;
    int64_t Position() const override { return FPosition; }
    void SetPosition(int64_t position) override;
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    TIdReserveTarget* InPlaceTarget() override { return this; }

    const std::string& Bytes() const { return FData; }
    std::string TakeBytes();  // the content, leaving the stream empty

protected:
    // Room at the position; what it adds past the old end is kept only as far as used.
    TArea Reserve(int64_t count) override;
    void Commit(const TArea& area, int64_t used) override;

private:
    std::string FData;
    int64_t FPosition = 0;
};
