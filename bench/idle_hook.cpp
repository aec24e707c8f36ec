// The idle-time hook during whois waits: the longest gap between two turns of the hook
// during a silent 30 s wait and during a 100 MB reply, and the 100 MB throughput with the
// hook in place, without it, and of the system's whois client program fetching the same
// reply from the same loopback server.
#include "net/socket/id_anti_freeze.h"
#include "net/socket/id_exceptions.h"
#include "net/whois/id_whois.h"
#include "tests/fixtures/loopback_server.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Records the times between two turns, from its creation to its last turn.
class TGapHook : public TIdAntiFreezeBase {
public:
    double LongestMs() const { return Gaps.empty() ? 0 : *std::max_element(Gaps.begin(), Gaps.end()); }
    // The gap that 99 % of the gaps do not exceed.
    double Percentile99Ms() const
    {
        std::vector<double> sorted = Gaps;
        std::sort(sorted.begin(), sorted.end());
        return sorted.empty() ? 0 : sorted[sorted.size() * 99 / 100];
    }
    std::vector<double> Gaps;

protected:
    void Process() override
    {
        const Clock::time_point now = Clock::now();
        Gaps.push_back(Seconds(now - FLast) * 1000);
        FLast = now;
    }

private:
    Clock::time_point FLast = Clock::now();
};

// Seconds the whois program took to print the whole reply, or -1 when it could not run.
double RunWhoisProgram(uint16_t port)
{
    const std::string command = "whois -h 127.0.0.1 -p " + std::to_string(port) + " bench.test >/dev/null 2>&1";
    const Clock::time_point start = Clock::now();
    return std::system(command.c_str()) == 0 ? Seconds(Clock::now() - start) : -1;
}

// Seconds QueryDomain took for the whole reply (-1 when it came short).
double Query(uint16_t port, uint64_t size)
{
    TIdWhois whois;
    whois.Host = "127.0.0.1";
    whois.Port = port;
    whois.Limits.MaxReplySize = std::max<int64_t>(whois.Limits.MaxReplySize, static_cast<int64_t>(size));
    const Clock::time_point start = Clock::now();
    const std::string reply = whois.QueryDomain("bench.test");
    return reply.size() == size ? Seconds(Clock::now() - start) : -1;
}

}  // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const uint64_t size = 100ULL * 1000 * 1000;
    fixtures::ServerOptions options;
    options.StepLimitMs = 60000;
    fixtures::LoopbackServer server(
        fixtures::Script().ExpectLine().SendRepeated("nserver:     ns1.some-registrar.bench.test\r\n", size).Close(),
        options);

    double plain = 1e9, hooked = 1e9, peer = 1e9, gap = 0, gap99 = 0;
    for (int run = 0; run < 2 * runs; ++run) {
        // Each kind goes first in turn, so neither always finds the caches cold.
        if (run % 2 == 0) {
            plain = std::min(plain, Query(server.Port(), size));
        } else {
            TGapHook hook;
            hooked = std::min(hooked, Query(server.Port(), size));
            gap = std::max(gap, hook.LongestMs());
            gap99 = std::max(gap99, hook.Percentile99Ms());
        }
        if (run % 2 == 1) continue;
        const double program = RunWhoisProgram(server.Port());
        if (program > 0) peer = std::min(peer, program);
    }
    std::printf("100 MB whois reply over loopback, best of %d runs\n", runs);
    std::printf("  without the hook   %7.3f s %5.0f MB/s\n", plain, 100 / plain);
    std::printf("  with the hook      %7.3f s %5.0f MB/s, gap between turns: longest %.1f ms, 99th percentile %.1f ms\n",
                hooked, 100 / hooked, gap, gap99);
    if (peer < 1e9)
        std::printf("  whois program      %7.3f s; ratio program/ours %.2f without the hook, %.2f with it\n", peer,
                    peer / plain, peer / hooked);
    std::fflush(stdout);

    // A server that accepts and never answers: the whole 30 s read bound, sliced.
    fixtures::LoopbackServer silent(fixtures::Script().ExpectLine().Stall(), options);
    TGapHook hook;
    TIdWhois whois;
    whois.Host = "127.0.0.1";
    whois.Port = silent.Port();
    const Clock::time_point start = Clock::now();
    try {
        whois.QueryDomain("bench.test");
    } catch (const EIdException& failure) {
        std::printf("silent server: '%s' after %.1f s, %zu turns, gap between turns: longest %.1f ms, 99th "
                    "percentile %.1f ms\n",
                    failure.what(), Seconds(Clock::now() - start), hook.Gaps.size(), hook.LongestMs(),
                    hook.Percentile99Ms());
    }
    return 0;
}
