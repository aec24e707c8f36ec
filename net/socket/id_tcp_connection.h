#pragma once
#include "net/socket/id_buffer.h"
#include "net/socket/id_component.h"
#include "net/socket/id_global.h"
#include "net/socket/id_socket_handle.h"
#include "net/socket/id_stream.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// A buffered byte stream over one TCP socket. Every read consumes from InBuffer, which
// FillInBuffer (the only receive path) fills; every write goes through SendBytes. When a
// receive or send moves 0 bytes the peer has closed: the socket is dropped at once and
// what is still buffered stays readable ("closed by peer").
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
    // Longest wait (ms) for the next byte in a read that has no time limit of its own;
    // EIdReadTimeout when it passes. WaitForever (the default) waits without limit.
    int32_t ReadTimeout = WaitForever;
    // Longest time (ms) for a whole exchange, from TIdExchangeClock's start to its end
    // (connect to last byte); every wait in it is cut to what is left, and EIdReadTimeout
    // is raised when nothing is. WaitForever (the default): no limit.
    int32_t RequestTimeout = WaitForever;
    // Most bytes a reply read to its end may bring (ReadUntilClosed, ReadToStream until
    // the close, and a body of the HTTP client): past it EIdReplyTooLarge, the socket
    // dropped and what was read freed. Far above any real whois reply or data file.
    int64_t MaxReplySize = DefaultMaxReplySize;
    // Most bytes of one line before its terminator (ReadLine): past it EIdLineTooLong,
    // the socket dropped and what was read freed.
    int32_t MaxLineLength = DefaultMaxLineLength;
    // The most InBuffer has held since the connection was opened: what a peer made this
    // side keep at once.
    int64_t PeakBuffered = 0;

    static constexpr int32_t DefaultMaxLineLength = 64 * 1024;
    std::function<void(TIdComponent& sender)> OnDisconnected;

    int32_t RecvBufferSize() const { return static_cast<int32_t>(ChunkBuffer.Size()); }
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
    // One receive: into target (or ChunkBuffer) for its whole size, appended to InBuffer
    // when append is set. Returns the byte count, 0 on time-out or close.
    virtual int32_t FillInBuffer(bool raiseIfClosed = true, int32_t timeout = WaitForever,
                                 TIdBuffer* target = nullptr, bool append = true);
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

    // The exchange clock of RequestTimeout (see TIdExchangeClock).
    void StartExchangeClock();
    void StopExchangeClock() { FExchangeClock = false; }
    // Milliseconds left of the exchange; WaitForever when no clock runs.
    int32_t ExchangeTimeLeft() const;

protected:
    TIdBuffer ChunkBuffer;

private:
    // Waits for data within the bounds; false when the read is to return 0 at once.
    bool WaitForData(bool raiseIfClosed, int32_t timeout);
    // One receive into memory, with the checks and the filter of FillInBuffer.
    int32_t ReceiveNow(uint8_t* memory, int32_t capacity, bool nothingBuffered);
    // FillInBuffer into a private area, written to the stream; straight into the
    // stream's own memory when it has some. Returns the bytes received.
    int32_t FillStream(TIdStream& stream, int32_t count, bool raiseIfClosed);
    // Past a bound set on what a peer may make us hold: free it all and stop reading.
    void GiveUpReading();
    void CheckReplySize(int64_t size);

    bool FExchangeClock = false;
    std::chrono::steady_clock::time_point FExchangeDeadline;
};

// Runs a connection's RequestTimeout clock for as long as it lives: one whois query, one
// HTTP request with its redirects.
class TIdExchangeClock {
public:
    explicit TIdExchangeClock(TIdTCPConnection& connection) : FConnection(connection)
    {
        FConnection.StartExchangeClock();
    }
    ~TIdExchangeClock() { FConnection.StopExchangeClock(); }
    TIdExchangeClock(const TIdExchangeClock&) = delete;
    TIdExchangeClock& operator=(const TIdExchangeClock&) = delete;

private:
    TIdTCPConnection& FConnection;
};
