#pragma once
#include "net/socket/id_global.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>

// The idle-time hook. While one instance exists, every wait of the network layer (a
// connect, a read, a send, a datagram, a system-resolver call, an HTTPS transfer) is cut
// into slices, and the instance's Process runs between them, at least every TurnMs: a
// window lets its event loop run there. The waits keep their bounds. Stop asks the work
// under way to give up: its wait raises EIdStopped, and so does every later wait until
// Reset. Without an instance every wait blocks whole, as a command-line program wants.
//
// The instance lives on the thread that runs the network work; only Stop and Stopped may
// be called from elsewhere.
class TIdAntiFreezeBase {
public:
    // The longest time between two turns of the hook during a wait.
    static constexpr int32_t TurnMs = 40;

    // Becomes the instance; one at a time.
    TIdAntiFreezeBase();
    virtual ~TIdAntiFreezeBase();
    TIdAntiFreezeBase(const TIdAntiFreezeBase&) = delete;
    TIdAntiFreezeBase& operator=(const TIdAntiFreezeBase&) = delete;

    static TIdAntiFreezeBase* Instance();

    void Stop() { FStopped = true; }
    void Reset() { FStopped = false; }
    bool Stopped() const { return FStopped; }

    // With an instance: raises EIdStopped when stopped, otherwise hands control to it when
    // its last turn is at least `after` ago (so a fast transfer does not pay a turn per
    // packet), then raises EIdStopped if that turn stopped the work. Nothing without one.
    static void DoProcess(std::chrono::milliseconds after = std::chrono::milliseconds(0));

protected:
    virtual void Process() = 0;

private:
    std::atomic<bool> FStopped{false};
    std::chrono::steady_clock::time_point FLastTurn;
};

// Calls wait(slice) until it returns non-zero or timeoutMs (WaitForever: no limit) has
// passed, and returns its last result (0 on time-out). With the hook, slices last at most
// TurnMs and the hook turns between them; without it, one call with the whole timeout.
int32_t SlicedWait(int32_t timeoutMs, const std::function<int32_t(int32_t sliceMs)>& wait);

// Runs a blocking call that cannot be sliced (the system resolver): with the hook, on a
// thread of its own while this one waits in slices; inline without it. The call must own
// everything it touches (values captured by copy, results through a shared_ptr): when the
// work is stopped its thread is left to finish alone and EIdStopped is raised here. The
// platform's last error travels back with the call.
void RunBlockingCall(std::function<void()> call);
