#pragma once
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

// The order in which the jobs of a list run, and the turns they take at each server: one
// request at a time per server, and at least `pace` from the end of one to the start of
// the next (so that the server too sees the pace between them, whatever the network adds). A job takes the earliest name whose server is ready and that no other job is
// on, so that jobs do not queue behind one server while others are idle.
class TPacedQueue {
public:
    using TClock = std::chrono::steady_clock;

    // servers[i]: the server the i-th name is first asked of; "" for a name that asks
    // none, which is never held back. A name more than `window` places after the oldest
    // one still running waits, which bounds what the caller keeps for writing in order.
    TPacedQueue(const std::vector<std::string>& servers, TClock::duration pace, size_t window);

    // The next name for a job, or nothing when every name is taken.
    std::optional<size_t> Take();
    // The job is done with name `index`; its server is free for another job's name.
    void Done(size_t index);

    // A request's turn at a server, for as long as it lives.
    class TTurn {
    public:
        TTurn(TPacedQueue& queue, std::string server);
        ~TTurn();
        TTurn(const TTurn&) = delete;
        TTurn& operator=(const TTurn&) = delete;
        // No request to the server before `wait` from now (it asked for it), from any job.
        void HoldOff(TClock::duration wait);

    private:
        TPacedQueue& FQueue;
        std::string FServer;
    };

private:
    struct TServer {
        std::deque<size_t> Waiting;  // its names not yet taken, in list order
        bool Claimed = false;        // a job is on one of its names
        bool Busy = false;           // a request is on the wire
        TClock::time_point FreeAt{};
    };

    std::mutex FMutex;
    std::condition_variable FChanged;
    std::unordered_map<std::string, TServer> FServers;
    std::vector<std::string> FServerOf;
    std::vector<bool> FDone;
    TClock::duration FPace;
    TClock::duration FLead;
    size_t FWindow;
    size_t FTaken = 0;
    size_t FOldest = 0;  // no name before it is still running or waiting
};
