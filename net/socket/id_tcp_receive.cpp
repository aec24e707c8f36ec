#include "net/socket/id_tcp_connection.h"

#include "net/socket/id_exceptions.h"
#include "net/socket/id_stack.h"

#include <cstring>

// The receive engine: the one receive step every read goes through, into InBuffer or
// into a stream.
namespace {

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

int32_t TIdTCPConnection::FillInBuffer(bool raiseIfClosed, int32_t timeout)
{
    // Straight into InBuffer's end: no copy through a receive area.
    const int32_t n = ReceiveInto(InBuffer, RecvBufferSize(), raiseIfClosed, timeout, false);
    Limits.NoteHeld(InBuffer.Size());
    return n;
}

int32_t TIdTCPConnection::FillStream(TIdStream& stream, int32_t count, bool raiseIfClosed)
{
    if (TIdReserveTarget* inPlace = stream.InPlaceTarget())
        return ReceiveInto(*inPlace, count, raiseIfClosed, WaitForever, true);
    TIdBuffer chunk;
    const int32_t n = ReceiveInto(chunk, count, raiseIfClosed, WaitForever, true);
    stream.Write(chunk.Memory(), n);
    return n;
}

int32_t TIdTCPConnection::ReceiveInto(TIdReserveTarget& target, int32_t capacity, bool raiseIfClosed,
                                      int32_t timeout, bool countWork)
{
    if (!WaitForData(raiseIfClosed, timeout)) return 0;
    const bool nothingBuffered = InBuffer.Size() == 0;
    int32_t n;
    {
        TIdReservation room(target, capacity);
        n = ReceiveNow(room.Memory(), static_cast<int32_t>(room.Capacity()), nothingBuffered);
        if (countWork) AdvanceWork(WorkRead, n);
        room.Commit(n);
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
    const bool readBound = timeout == WaitForever && Limits.ReadTimeout >= 0;
    bool cut = false;
    const int32_t wait = Limits.BoundWait(readBound ? Limits.ReadTimeout : timeout, cut);
    const int32_t ready = SocketHandle.Readable(wait);
    // A failed wait is reported as what it is, with the platform's reason.
    if (ready < 0) GSocketStack->CheckSocketResult(ready);
    if (ready == 0 && (readBound || cut)) throw EIdReadTimeout();
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
