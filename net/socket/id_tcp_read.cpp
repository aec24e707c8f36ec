#include "net/socket/id_tcp_connection.h"

#include "net/socket/id_exceptions.h"
#include "net/socket/id_stack.h"
#include "runtime/text.h"

#include <algorithm>
#include <cstring>
#include <limits>

// The reads of the connection, over the receive step, and the bounds on what a peer may
// make them hold.
namespace {

// ReadToStream grows the stream by the expected count up front; a count announced by the
// peer is not trusted with more than this much memory before the bytes arrive.
constexpr int64_t MaxStreamPresize = 64 * 1024 * 1024;

// The line bound never goes past this, so a line and its terminator always fit the
// 32-bit counts they are taken with.
constexpr int32_t MaxLineBound = std::numeric_limits<int32_t>::max() / 2;

}  // namespace

std::string TIdTCPConnection::TakeBytes(int32_t count)
{
    // Taking nothing still reports the (unchanged) read count, as every take does.
    if (count < 0) return std::string();
    if (count > InBuffer.Size()) throw EIdNotEnoughDataInBuffer();
    std::string bytes(reinterpret_cast<const char*>(InBuffer.Memory()), static_cast<size_t>(count));
    DiscardBytes(count);
    return bytes;
}

void TIdTCPConnection::DiscardBytes(int32_t count)
{
    InBuffer.Remove(count);
    AdvanceWork(WorkRead, count);
}

void TIdTCPConnection::GiveUpReading()
{
    InBuffer.Release();
    DropSocket();
}

void TIdTCPConnection::CheckReplySize(int64_t size)
{
    if (size <= Limits.MaxReplySize) return;
    GiveUpReading();
    throw EIdReplyTooLarge();
}

std::string TIdTCPConnection::ReadLine(const std::string& terminator, int32_t timeout)
{
    const std::string term = terminator.empty() ? std::string("\n") : terminator;
    LineTimedOut = false;
    // Bytes already searched are not searched again: only the new ones, plus enough of
    // the old tail to catch a terminator split across two receives.
    size_t searchFrom = 0;
    size_t found = std::string::npos;
    for (;;) {
        if (InBuffer.Size() > 0) {
            const std::string_view buffered = InBuffer.View();
            found = buffered.find(term, searchFrom);
            // The bound keeps a line's length (and every count below) well inside 32 bits;
            // a CR that the empty terminator drops (or may yet drop) is not counted.
            size_t lineSoFar = found != std::string::npos ? found : buffered.size();
            if (terminator.empty() && lineSoFar > 0 && buffered[lineSoFar - 1] == '\r') --lineSoFar;
            if (lineSoFar > static_cast<size_t>(std::clamp(Limits.MaxLineLength, 0, MaxLineBound))) {
                GiveUpReading();
                throw EIdLineTooLong();
            }
            if (found != std::string::npos) break;
            searchFrom = buffered.size() >= term.size() ? buffered.size() - term.size() + 1 : 0;
        }
        EnsureOpen(true, true);
        const int32_t n = FillInBuffer(true, timeout);
        LineTimedOut = n == 0;
        if (n == 0) return std::string();
    }
    std::string line = TakeBytes(static_cast<int32_t>(found + term.size()));
    line.resize(found);
    if (terminator.empty() && !line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

std::string TIdTCPConnection::ReadNonBlankLine()
{
    for (;;) {
        std::string line = Trim(ReadLine("", WaitForever));
        if (!line.empty()) return line;
    }
}

void TIdTCPConnection::ReadExact(void* destination, int32_t count)
{
    if (count <= 0 || destination == nullptr) return;
    while (InBuffer.Size() < count) {
        // Once the peer has closed, no more bytes can come: raise instead of waiting on a
        // socket that is gone (the buffered bytes alone are not enough).
        EnsureOpen(true, true);
        FillInBuffer(true, WaitForever);
    }
    std::memcpy(destination, InBuffer.Memory(), static_cast<size_t>(count));
    DiscardBytes(count);
}

int32_t TIdTCPConnection::ReadInt32(bool convert)
{
    uint32_t value = 0;
    ReadExact(&value, 4);
    if (convert) value = GSocketStack->NToHL(value);
    return static_cast<int32_t>(value);
}

std::string TIdTCPConnection::ReadAvailable()
{
    if (IsConnected()) FillInBuffer(false, WaitForever);
    // What is buffered is handed over also after the peer's close, so no byte is left
    // behind unread.
    return TakeBytes(static_cast<int32_t>(InBuffer.Size()));
}

std::string TIdTCPConnection::ReadUntilClosed()
{
    TIdWorkBracket work(*this, WorkRead, 0);
    // Everything gathers in InBuffer, received straight into its end, and leaves it in
    // one piece: no byte is copied on the way but by the buffer's own growth.
    try {
        CheckReplySize(InBuffer.Size());
        while (IsConnected()) {
            FillInBuffer(false, WaitForever);
            CheckReplySize(InBuffer.Size());
        }
    } catch (...) {
        // What was read is lost to the caller: it is not kept either.
        InBuffer.Release();
        throw;
    }
    const int64_t size = InBuffer.Size();
    std::string result = InBuffer.Extract();
    AdvanceWork(WorkRead, static_cast<int32_t>(std::min<int64_t>(size, std::numeric_limits<int32_t>::max())));
    return result;
}

void TIdTCPConnection::ReadToStream(TIdStream& stream, int32_t count, bool untilClosed)
{
    if (count == -1 && !untilClosed) count = ReadInt32(true);
    if (count >= 0) {
        const int64_t wanted = stream.Position() + std::min<int64_t>(count, MaxStreamPresize);
        if (stream.Size() < wanted) stream.SetSize(wanted);
    }
    {
        TIdWorkBracket work(*this, WorkRead, untilClosed ? 0 : count);
        int64_t remaining = untilClosed ? std::max<int64_t>(Limits.MaxReplySize, 0) : count;

        const int64_t buffered = std::min<int64_t>(InBuffer.Size(), remaining);
        if (buffered > 0) {
            stream.Write(InBuffer.Memory(), buffered);
            InBuffer.Remove(buffered);
            remaining -= buffered;
        }
        while (IsConnected() && remaining > 0)
            remaining -= FillStream(stream, static_cast<int32_t>(std::min<int64_t>(remaining, RecvBufferSize())), !untilClosed);
        // At the bound, one more byte (kept out of the stream) tells a reply that ends
        // there from one that goes on.
        if (untilClosed && remaining == 0 &&
            (InBuffer.Size() > 0 || (IsConnected() && FillInBuffer(false, WaitForever) > 0))) {
            // What this read wrote is taken back out of the stream.
            stream.SetPosition(stream.Position() - std::max<int64_t>(Limits.MaxReplySize, 0));
            stream.SetSize(stream.Position());
            CheckReplySize(Limits.MaxReplySize + 1);
        }
        // A count that was not reached because the peer's close had already been seen
        // is a short read, not success.
        if (!untilClosed && remaining > 0) throw EIdConnClosedGracefully();
    }
    if (stream.Size() > stream.Position()) stream.SetSize(stream.Position());
}
