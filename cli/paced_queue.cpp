#include "cli/paced_queue.h"

#include <algorithm>

namespace {

// How long before its server is free a name may be taken: the job readies the lookup
// meanwhile, and its turn starts on time. Short, for a job that waits is idle.
TPacedQueue::TClock::duration LeadFor(TPacedQueue::TClock::duration pace)
{
    return std::min<TPacedQueue::TClock::duration>(pace / 2, std::chrono::milliseconds(25));
}

}  // namespace

TPacedQueue::TPacedQueue(const std::vector<std::string>& servers, TClock::duration pace, size_t window)
    : FServerOf(servers), FDone(servers.size(), false), FPace(pace), FLead(LeadFor(pace)),
      FWindow(std::max<size_t>(window, 1))
{
    for (size_t i = 0; i < servers.size(); ++i) FServers[servers[i]].Waiting.push_back(i);
}

std::optional<size_t> TPacedQueue::Take()
{
    std::unique_lock<std::mutex> lock(FMutex);
    for (;;) {
        if (FTaken == FServerOf.size()) return std::nullopt;
        const TClock::time_point now = TClock::now();
        TServer* best = nullptr;
        std::optional<TClock::time_point> wakeAt;
        for (auto& [name, server] : FServers) {
            if (server.Waiting.empty() || server.Waiting.front() >= FOldest + FWindow) continue;
            const bool paced = !name.empty();
            if (paced && (server.Claimed || server.Busy)) continue;
            const TClock::time_point readyAt = server.FreeAt - FLead;
            if (paced && readyAt > now) {
                wakeAt = std::min(wakeAt.value_or(readyAt), readyAt);
                continue;
            }
            if (best == nullptr || server.Waiting.front() < best->Waiting.front()) best = &server;
        }
        if (best != nullptr) {
            const size_t index = best->Waiting.front();
            best->Waiting.pop_front();
            best->Claimed = !FServerOf[index].empty();
            ++FTaken;
            return index;
        }
        if (wakeAt)
            FChanged.wait_until(lock, *wakeAt);
        else
            FChanged.wait(lock);
    }
}

void TPacedQueue::Done(size_t index)
{
    {
        const std::lock_guard<std::mutex> lock(FMutex);
        FServers[FServerOf[index]].Claimed = false;
        FDone[index] = true;
        while (FOldest < FDone.size() && FDone[FOldest]) ++FOldest;
    }
    FChanged.notify_all();
}

TPacedQueue::TTurn::TTurn(TPacedQueue& queue, std::string server) : FQueue(queue), FServer(std::move(server))
{
    std::unique_lock<std::mutex> lock(FQueue.FMutex);
    TServer& s = FQueue.FServers[FServer];
    for (;;) {
        if (!s.Busy && s.FreeAt <= TClock::now()) break;
        if (s.Busy)
            FQueue.FChanged.wait(lock);
        else
            FQueue.FChanged.wait_until(lock, s.FreeAt);
    }
    s.Busy = true;
}

void TPacedQueue::TTurn::HoldOff(TClock::duration wait)
{
    const std::lock_guard<std::mutex> lock(FQueue.FMutex);
    TServer& s = FQueue.FServers[FServer];
    s.FreeAt = std::max(s.FreeAt, TClock::now() + wait);
}

TPacedQueue::TTurn::~TTurn()
{
    {
        const std::lock_guard<std::mutex> lock(FQueue.FMutex);
        TServer& s = FQueue.FServers[FServer];
        s.Busy = false;
        s.FreeAt = std::max(s.FreeAt, TClock::now() + FQueue.FPace);
    }
    FQueue.FChanged.notify_all();
}
