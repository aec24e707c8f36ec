#pragma once
#include "net/socket/id_buffer.h"
#include "net/socket/id_component.h"
#include "net/socket/id_exchange_limits.h"
#include "net/socket/id_global.h"
#include "net/socket/id_socket_handle.h"
#include "net/socket/id_stream.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// A buffered byte stream over one TCP socket. Every read consumes from InBuffer or fills
// a stream, both through one receive step (ReceiveInto); every write goes through
// SendBytes. When a receive or send moves 0 bytes the peer has closed: the socket is
// dropped at once and what is still buffered stays readable ("closed by peer").
class TIdTCPConnection : public TIdComponent {
public:
    TIdTCPConnection();
    ~TIdTCPConnection() override;

    // Clear bit 7 of every received byte.
    bool ASCIIFilter = false;
    TIdSocketHandle SocketHandle;
    TIdBuffer InBuffer;
    bool PeerClosed = false;
    bool LineTimedOut = false;
    int32_t SendBufferSize = 32768;
    // The bounds of the exchanges on this connection, their clock, and the most InBuffer
    // has held since the connection was opened (what a peer made this side keep at once).
    TIdExchangeLimits Limits;

    std::function<void(TIdComponent& sender)> OnDisconnected;

    int32_t RecvBufferSize() const { return FRecvBufferSize; }
    void SetRecvBufferSize(int32_t size);

    virtual void DoDisconnected();
    virtual void ResetState();
    virtual std::string ReadUntilClosed();
    // The reaction to a closed peer: drops the socket and, when asked, raises
    // EIdConnClosedGracefully if nothing (or, with ignoreBuffer, regardless of what) is
    // buffered.
    virtual void EnsureOpen(bool raiseIfClosed = true, bool ignoreBuffer = false);
    virtual void PollPeerClosed(bool raiseIfClosed = true);
    virtual bool IsConnected();
    virtual void CloseConnection();
    virtual void DropSocket();
    virtual std::string TakeBytes(int32_t count);
    // One receive of up to RecvBufferSize bytes onto the end of InBuffer. Returns the
    // byte count, 0 on time-out or close.
    virtual int32_t FillInBuffer(bool raiseIfClosed = true, int32_t timeout = WaitForever);
    // An empty terminator means LF, with a CR before it dropped too. A time-out gives an
    // empty text with LineTimedOut set.
    virtual std::string ReadLine(const std::string& terminator = "", int32_t timeout = WaitForever);
    virtual void DiscardBytes(int32_t count);
    virtual void SendText(const std::string& text);
    virtual void SendLine(const std::string& text);
    virtual void SendStream(TIdStream& stream, bool fromStart = true, bool withSize = false);

    std::string ReadNonBlankLine();
    void ReadExact(void* destination, int32_t count);
    int32_t ReadInt32(bool convert = true);
    std::string ReadAvailable();
    // count -1 without untilClosed reads a 4-byte length prefix first.
    void ReadToStream(TIdStream& stream, int32_t count = -1, bool untilClosed = false);
    void SendBytes(const void* bytes, int32_t count, bool sendNow = true);
    void SendLines(const std::vector<std::string>& lines);
    void SendInt32(int32_t value, bool convert = true);

private:
    // The receive step of every read (id_tcp_receive.cpp): waits within the bounds, then
    // receives up to capacity bytes in place into the target, filtered, counted as work
    // when countWork is set. Returns the bytes received, 0 on time-out or close.
    int32_t ReceiveInto(TIdReserveTarget& target, int32_t capacity, bool raiseIfClosed, int32_t timeout,
                        bool countWork);
    // Waits for data within the bounds; false when the read is to return 0 at once.
    bool WaitForData(bool raiseIfClosed, int32_t timeout);
    int32_t ReceiveNow(uint8_t* memory, int32_t capacity, bool nothingBuffered);
    // One receive into the stream: in place when it keeps its bytes in memory, through a
    // private area otherwise. Returns the bytes received.
    int32_t FillStream(TIdStream& stream, int32_t count, bool raiseIfClosed);
    // Past a bound set on what a peer may make us hold: free it all and stop reading.
    void GiveUpReading();
    void CheckReplySize(int64_t size);

    int32_t FRecvBufferSize;
};
