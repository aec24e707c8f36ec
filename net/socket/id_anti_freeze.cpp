#include "net/socket/id_anti_freeze.h"

#include "net/socket/id_exceptions.h"
#include "platform/winsock.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

using std::chrono::milliseconds;
using std::chrono::steady_clock;

namespace {

TIdAntiFreezeBase* GAntiFreeze = nullptr;

// What the waiting thread and a blocking call's thread share; the call's thread keeps it
// alive as long as it runs, so a stopped wait can leave it behind.
struct TBlockingCall {
    std::mutex Lock;
    std::condition_variable Finished;
    bool Done = false;
    int32_t LastError = 0;
    std::exception_ptr Failure;
};

}  // namespace

TIdAntiFreezeBase::TIdAntiFreezeBase() : FLastTurn(steady_clock::now()) { GAntiFreeze = this; }

TIdAntiFreezeBase::~TIdAntiFreezeBase()
{
    if (GAntiFreeze == this) GAntiFreeze = nullptr;
}

TIdAntiFreezeBase* TIdAntiFreezeBase::Instance() { return GAntiFreeze; }

void TIdAntiFreezeBase::DoProcess(milliseconds after)
{
    TIdAntiFreezeBase* hook = GAntiFreeze;
    if (hook == nullptr) return;
    if (hook->Stopped()) throw EIdStopped();
    const steady_clock::time_point now = steady_clock::now();
    if (now - hook->FLastTurn < after) return;
    hook->FLastTurn = now;
    hook->Process();
    // The turn may have ended the program's use of the hook (a window closing).
    if (GAntiFreeze != nullptr && GAntiFreeze->Stopped()) throw EIdStopped();
}

int32_t SlicedWait(int32_t timeoutMs, const std::function<int32_t(int32_t sliceMs)>& wait)
{
    if (TIdAntiFreezeBase::Instance() == nullptr) return wait(timeoutMs);
    // A wait that finds its data at once turns the hook only when the last turn is half a
    // slice ago: a fast transfer stays fast, and the gap between turns stays short.
    TIdAntiFreezeBase::DoProcess(milliseconds(TIdAntiFreezeBase::TurnMs / 2));
    const bool bounded = timeoutMs >= 0;
    const steady_clock::time_point end = steady_clock::now() + milliseconds(bounded ? timeoutMs : 0);
    for (;;) {
        int32_t slice = TIdAntiFreezeBase::TurnMs;
        if (bounded) {
            // Rounded up: a slice of 0 before the end would spin until it.
            const auto left = std::chrono::ceil<milliseconds>(end - steady_clock::now()).count();
            slice = static_cast<int32_t>(std::clamp<int64_t>(left, 0, slice));
        }
        const int32_t result = wait(slice);
        if (result != 0 || (bounded && steady_clock::now() >= end)) return result;
        TIdAntiFreezeBase::DoProcess();
    }
}

void RunBlockingCall(std::function<void()> call)
{
    if (TIdAntiFreezeBase::Instance() == nullptr) {
        call();
        return;
    }
    TIdAntiFreezeBase::DoProcess();
    auto shared = std::make_shared<TBlockingCall>();
    std::thread worker([shared, call = std::move(call)] {
        std::exception_ptr failure;
        try {
            call();
        } catch (...) {
            failure = std::current_exception();
        }
        const int32_t lastError = winsock::WSAGetLastError();
        const std::lock_guard<std::mutex> hold(shared->Lock);
        shared->Failure = failure;
        shared->LastError = lastError;
        shared->Done = true;
        shared->Finished.notify_all();
    });
    try {
        for (;;) {
            {
                std::unique_lock<std::mutex> hold(shared->Lock);
                if (shared->Finished.wait_for(hold, milliseconds(TIdAntiFreezeBase::TurnMs),
                                              [&] { return shared->Done; }))
                    break;
            }
            TIdAntiFreezeBase::DoProcess();
        }
    } catch (...) {
        // Stopped: the call may stay blocked for seconds; it owns all it touches.
        worker.detach();
        throw;
    }
    worker.join();
    winsock::WSASetLastError(shared->LastError);
    if (shared->Failure) std::rethrow_exception(shared->Failure);
}
