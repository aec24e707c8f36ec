#pragma once
#include "net/socket/id_global.h"

#include <chrono>
#include <cstdint>

// The most bytes of one line before its terminator, by default.
inline constexpr int32_t DefaultMaxLineLength = 64 * 1024;

// What one exchange with a peer may cost (a whois query, an HTTP request with its
// redirects, a DNS exchange over TCP), the clock of the exchange, and the most it made
// this side hold. Time-outs are in milliseconds, WaitForever for no limit. The settings
// the program's own exchanges use are in net/exchange_settings.h.
class TIdExchangeLimits {
public:
    // Longest wait for the connect; past it EIdSocketError 10060. WaitForever leaves it
    // to the platform.
    int32_t ConnectTimeout = WaitForever;
    // Longest wait for the next byte in a read that has no time limit of its own;
    // EIdReadTimeout when it passes.
    int32_t ReadTimeout = WaitForever;
    // Longest time for a whole exchange, from StartClock to StopClock (connect to last
    // byte): every wait in it is cut to what is left, and EIdReadTimeout is raised when
    // nothing is.
    int32_t RequestTimeout = WaitForever;
    // Most bytes a reply read to its end may bring (whois, an HTTP body): past it
    // EIdReplyTooLarge, the socket dropped and what was read freed.
    int64_t MaxReplySize = DefaultMaxReplySize;
    // Most bytes of one line before its terminator: past it EIdLineTooLong, the socket
    // dropped and what was read freed.
    int32_t MaxLineLength = DefaultMaxLineLength;

    // The exchange clock of RequestTimeout (see TIdExchangeClock).
    void StartClock();
    void StopClock() { FClockRunning = false; }
    // Milliseconds left of the exchange; WaitForever when no clock runs.
    int32_t TimeLeft() const;
    // A wait of `wait` ms cut to what is left of the exchange; EIdReadTimeout when
    // nothing is. `cut` tells whether the exchange's end is what now bounds it.
    int32_t BoundWait(int32_t wait, bool& cut) const;

    // The most bytes a peer made this side hold at once since ResetPeak: a measurement
    // (for the tests and the benchmarks), never a decision.
    void NoteHeld(int64_t bytes)
    {
        if (bytes > FPeakHeld) FPeakHeld = bytes;
    }
    int64_t PeakHeld() const { return FPeakHeld; }
    void ResetPeak() { FPeakHeld = 0; }

private:
    bool FClockRunning = false;
    std::chrono::steady_clock::time_point FDeadline;
    int64_t FPeakHeld = 0;
};

// Runs the RequestTimeout clock of a set of limits for as long as it lives: one whois
// query, one HTTP request with its redirects.
class TIdExchangeClock {
public:
    explicit TIdExchangeClock(TIdExchangeLimits& limits) : FLimits(limits) { FLimits.StartClock(); }
    ~TIdExchangeClock() { FLimits.StopClock(); }
    TIdExchangeClock(const TIdExchangeClock&) = delete;
    TIdExchangeClock& operator=(const TIdExchangeClock&) = delete;

private:
    TIdExchangeLimits& FLimits;
};
