#include "net/socket/id_tcp_connection.h"

#include "net/socket/id_exceptions.h"
#include "net/socket/id_stack.h"
#include "runtime/text.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

constexpr int32_t DefaultBufferSize = 32768;
// ReadToStream grows the stream by the expected count up front; a count announced by the
// peer is not trusted with more than this much memory before the bytes arrive.
constexpr int64_t MaxStreamPresize = 64 * 1024 * 1024;

// Closes a work bracket also when the work ends by an exception.
class WorkBracket {
public:
    WorkBracket(TIdComponent& component, TWorkMode mode, int32_t countMax)
        : FComponent(component), FMode(mode)
    {
        FComponent.StartWork(mode, countMax);
    }
    ~WorkBracket() { FComponent.FinishWork(FMode); }
    WorkBracket(const WorkBracket&) = delete;
    WorkBracket& operator=(const WorkBracket&) = delete;

private:
    TIdComponent& FComponent;
    TWorkMode FMode;
};

// The line bound never goes past this, so a line and its terminator always fit the
// 32-bit counts they are taken with.
constexpr int32_t MaxLineBound = std::numeric_limits<int32_t>::max() / 2;

// Eight bytes at a time where the bytes allow it.
void ClearBitSeven(uint8_t* bytes, int32_t count)
{
    constexpr uint64_t mask = 0x7F7F7F7F7F7F7F7FULL;
    int32_t i = 0;
    for (; i + 8 <= count; i += 8) {
        uint64_t word;
        std::memcpy(&word, bytes + i, 8);
        word &= mask;
        std::memcpy(bytes + i, &word, 8);
    }
    for (; i < count; ++i) bytes[i] &= 0x7F;
}

}  // namespace

TIdTCPConnection::TIdTCPConnection()
{
    ChunkBuffer.SetSize(DefaultBufferSize);
    SendBufferSize = DefaultBufferSize;
}

// The handle closes an open socket itself, without status reports or OnDisconnected.
TIdTCPConnection::~TIdTCPConnection() = default;

void TIdTCPConnection::SetRecvBufferSize(int32_t size)
{
    // A receive into zero bytes would look like the peer's close.
    ChunkBuffer.SetSize(std::max<int32_t>(size, 1));
}

void TIdTCPConnection::DoDisconnected()
{
    if (OnDisconnected) OnDisconnected(*this);
}

void TIdTCPConnection::ResetState()
{
    SocketHandle.Clear(true);
    InBuffer.Release();
    PeerClosed = false;
    PeakBuffered = 0;
}

void TIdTCPConnection::EnsureOpen(bool raiseIfClosed, bool ignoreBuffer)
{
    if (!PeerClosed && SocketHandle.Allocated) return;
    if (SocketHandle.Allocated) DropSocket();
    if (raiseIfClosed && (InBuffer.Size() == 0 || ignoreBuffer)) throw EIdConnClosedGracefully();
}

void TIdTCPConnection::PollPeerClosed(bool raiseIfClosed)
{
    FillInBuffer(raiseIfClosed, 1, nullptr, true);
}

bool TIdTCPConnection::IsConnected()
{
    EnsureOpen(false, false);
    return SocketHandle.Allocated;
}

void TIdTCPConnection::CloseConnection()
{
    DropSocket();
}

void TIdTCPConnection::DropSocket()
{
    if (!SocketHandle.Allocated) return;
    ReportStatus(StatusDisconnecting, SocketHandle.RemoteIP);
    SocketHandle.Close(true);
    PeerClosed = true;
    ReportStatus(StatusDisconnected);
    DoDisconnected();
}

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

int32_t TIdTCPConnection::FillInBuffer(bool raiseIfClosed, int32_t timeout, TIdBuffer* target, bool append)
{
    if (!WaitForData(raiseIfClosed, timeout)) return 0;
    int32_t n;
    if (target == nullptr && append) {
        // Straight into InBuffer's end: no copy through the receive area.
        const bool nothingBuffered = InBuffer.Size() == 0;
        const int32_t capacity = RecvBufferSize();
        uint8_t* space = InBuffer.AppendSpace(capacity);
        try {
            n = ReceiveNow(space, capacity, nothingBuffered);
        } catch (...) {
            InBuffer.Commit(0, capacity);
            throw;
        }
        InBuffer.Commit(n, capacity);
        PeakBuffered = std::max(PeakBuffered, InBuffer.Size());
    } else {
        TIdBuffer& into = target != nullptr ? *target : ChunkBuffer;
        const int32_t capacity = static_cast<int32_t>(std::min<int64_t>(into.Size(), std::numeric_limits<int32_t>::max()));
        n = ReceiveNow(into.Memory(), capacity, InBuffer.Size() == 0);
        if (append) {
            InBuffer.Append(into.Memory(), n);
            PeakBuffered = std::max(PeakBuffered, InBuffer.Size());
        } else {
            AdvanceWork(WorkRead, n);
        }
    }
    EnsureOpen(raiseIfClosed, false);
    return n;
}

bool TIdTCPConnection::WaitForData(bool raiseIfClosed, int32_t timeout)
{
    EnsureOpen(raiseIfClosed, false);
    if (!IsConnected()) return false;
    // A read without a limit of its own is bounded by ReadTimeout when one is set, and
    // every wait by what is left of the exchange.
    bool expiryIsError = timeout == WaitForever && ReadTimeout >= 0;
    int32_t wait = expiryIsError ? ReadTimeout : timeout;
    const int32_t left = ExchangeTimeLeft();
    if (left == 0) throw EIdReadTimeout();
    if (left > 0 && (wait < 0 || left < wait)) {
        wait = left;
        expiryIsError = true;
    }
    const int32_t ready = SocketHandle.Readable(wait);
    // A failed wait is reported as what it is, with the platform's reason.
    if (ready < 0) GSocketStack->CheckSocketResult(ready);
    if (ready == 0 && expiryIsError) throw EIdReadTimeout();
    return ready > 0;
}

int32_t TIdTCPConnection::ReceiveNow(uint8_t* memory, int32_t capacity, bool nothingBuffered)
{
    int32_t n = SocketHandle.ReceiveData(memory, capacity, 0);
    PeerClosed = n == 0;
    if (n != 0 && GSocketStack->CheckSocketResult(n, {Id_WSAESHUTDOWN})) {
        n = 0;
        if (SocketHandle.Allocated) DropSocket();
        if (nothingBuffered) GSocketStack->ThrowSocketError(Id_WSAESHUTDOWN);
    }
    if (ASCIIFilter && n > 0) ClearBitSeven(memory, n);
    return n;
}

int32_t TIdTCPConnection::FillStream(TIdStream& stream, int32_t count, bool raiseIfClosed)
{
    uint8_t* area = stream.WriteArea(count);
    if (area == nullptr) {
        TIdBuffer chunk;
        chunk.SetSize(count);
        const int32_t n = FillInBuffer(raiseIfClosed, WaitForever, &chunk, false);
        stream.Write(chunk.Memory(), n);
        return n;
    }
    // The steps of FillInBuffer with a target, the target being the stream's memory.
    int32_t n = 0;
    try {
        if (WaitForData(raiseIfClosed, WaitForever)) {
            n = ReceiveNow(area, count, InBuffer.Size() == 0);
            AdvanceWork(WorkRead, n);
        }
    } catch (...) {
        stream.Written(0, count);
        throw;
    }
    stream.Written(n, count);
    EnsureOpen(raiseIfClosed, false);
    return n;
}

void TIdTCPConnection::GiveUpReading()
{
    InBuffer.Release();
    DropSocket();
}

void TIdTCPConnection::CheckReplySize(int64_t size)
{
    if (size <= MaxReplySize) return;
    GiveUpReading();
    throw EIdReplyTooLarge();
}

void TIdTCPConnection::StartExchangeClock()
{
    FExchangeClock = RequestTimeout >= 0;
    if (FExchangeClock) FExchangeDeadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(RequestTimeout);
}

int32_t TIdTCPConnection::ExchangeTimeLeft() const
{
    if (!FExchangeClock) return WaitForever;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(FExchangeDeadline - std::chrono::steady_clock::now());
    return static_cast<int32_t>(std::max<int64_t>(left.count(), 0));
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
            if (lineSoFar > static_cast<size_t>(std::clamp(MaxLineLength, 0, MaxLineBound))) {
                GiveUpReading();
                throw EIdLineTooLong();
            }
            if (found != std::string::npos) break;
            searchFrom = buffered.size() >= term.size() ? buffered.size() - term.size() + 1 : 0;
        }
        EnsureOpen(true, true);
        const int32_t n = FillInBuffer(true, timeout, nullptr, true);
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
        FillInBuffer(true, WaitForever, nullptr, true);
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
    if (IsConnected()) FillInBuffer(false, WaitForever, nullptr, true);
    // What is buffered is handed over also after the peer's close, so no byte is left
    // behind unread.
    return TakeBytes(static_cast<int32_t>(InBuffer.Size()));
}

std::string TIdTCPConnection::ReadUntilClosed()
{
    WorkBracket work(*this, WorkRead, 0);
    // Everything gathers in InBuffer, received straight into its end, and leaves it in
    // one piece: no byte is copied on the way but by the buffer's own growth.
    try {
        CheckReplySize(InBuffer.Size());
        while (IsConnected()) {
            FillInBuffer(false, WaitForever, nullptr, true);
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
        WorkBracket work(*this, WorkRead, untilClosed ? 0 : count);
        int64_t remaining = untilClosed ? std::max<int64_t>(MaxReplySize, 0) : count;

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
            (InBuffer.Size() > 0 || (IsConnected() && FillInBuffer(false, WaitForever, nullptr, true) > 0))) {
            // What this read wrote is taken back out of the stream.
            stream.SetPosition(stream.Position() - std::max<int64_t>(MaxReplySize, 0));
            stream.SetSize(stream.Position());
            CheckReplySize(MaxReplySize + 1);
        }
        // A count that was not reached because the peer's close had already been seen
        // is a short read, not success.
        if (!untilClosed && remaining > 0) throw EIdConnClosedGracefully();
    }
    if (stream.Size() > stream.Position()) stream.SetSize(stream.Position());
}

void TIdTCPConnection::SendBytes(const void* bytes, int32_t count, bool sendNow)
{
    (void)sendNow;  // there is no output buffer: every send goes out at once
    if (count <= 0 || bytes == nullptr) return;
    EnsureOpen(true, true);
    const auto* data = static_cast<const uint8_t*>(bytes);
    int32_t sent = 0;
    while (sent < count) {
        const int32_t n = SocketHandle.SendData(data + sent, count - sent, 0);
        PeerClosed = n == 0;
        EnsureOpen(true, false);
        if (GSocketStack->CheckSocketResult(n, {Id_WSAESHUTDOWN})) {
            DropSocket();
            GSocketStack->ThrowSocketError(Id_WSAESHUTDOWN);
        }
        AdvanceWork(WorkWrite, n);
        sent += n;
    }
}

void TIdTCPConnection::SendText(const std::string& text)
{
    if (!text.empty()) SendBytes(text.data(), static_cast<int32_t>(text.size()));
}

void TIdTCPConnection::SendLine(const std::string& text)
{
    SendText(text + "\r\n");
}

void TIdTCPConnection::SendLines(const std::vector<std::string>& lines)
{
    for (const std::string& line : lines) SendLine(line);
}

void TIdTCPConnection::SendInt32(int32_t value, bool convert)
{
    uint32_t bytes = static_cast<uint32_t>(value);
    if (convert) bytes = GSocketStack->HToNL(bytes);
    SendBytes(&bytes, 4);
}

void TIdTCPConnection::SendStream(TIdStream& stream, bool fromStart, bool withSize)
{
    if (fromStart) stream.SetPosition(0);
    const int64_t size = std::max<int64_t>(stream.Size() - stream.Position(), 0);
    if (withSize) SendInt32(static_cast<int32_t>(size), true);
    WorkBracket work(*this, WorkWrite, static_cast<int32_t>(size));
    std::string buffer(static_cast<size_t>(std::max<int32_t>(SendBufferSize, 1)), '\0');
    for (;;) {
        const int64_t k = std::min<int64_t>(stream.Size() - stream.Position(), static_cast<int64_t>(buffer.size()));
        if (k <= 0) break;
        const int64_t got = stream.Read(buffer.data(), k);
        if (got <= 0) throw EIdNoDataToRead();
        SendBytes(buffer.data(), static_cast<int32_t>(got));
    }
}
