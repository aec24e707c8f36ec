#pragma once
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

    // For a stream that holds its bytes in memory: room for count bytes at the position,
    // to receive into without a copy; null when the stream has none. Written(used, count)
    // must follow: it keeps the first `used` bytes there and moves past them.
    virtual uint8_t* WriteArea(int64_t count)
    {
        (void)count;
        return nullptr;
    }
    virtual void Written(int64_t used, int64_t count)
    {
        (void)used;
        (void)count;
    }
};

// Makes room for `needed` bytes in all, growing geometrically (fourfold past a few
// megabytes). A large area is made afresh and advised for large pages before anything
// touches it, then the bytes move in.
void ReserveBytes(std::string& bytes, size_t needed);

// A stream held in memory.
class TIdMemoryStream : public TIdStream {
public:
    TIdMemoryStream() = default;
    explicit TIdMemoryStream(std::string bytes) : FData(std::move(bytes)) {}

    int64_t Size() const override { return static_cast<int64_t>(FData.size()); }
    void SetSize(int64_t size) override;
    int64_t Position() const override { return FPosition; }
    void SetPosition(int64_t position) override;
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    uint8_t* WriteArea(int64_t count) override;
    void Written(int64_t used, int64_t count) override;

    const std::string& Bytes() const { return FData; }
    std::string TakeBytes();  // the content, leaving the stream empty

private:
    std::string FData;
    int64_t FPosition = 0;
    int64_t FSizeBeforeArea = 0;
};
