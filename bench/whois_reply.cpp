// Reading large whois replies from a loopback server: our client's QueryDomain against the
// system's whois client program fetching the same reply. Prints one line per size, with
// the peak memory the filtered query took over what the process held before it (its
// high-water mark reset first), as a multiple of the reply's size.
#include "net/whois/id_whois.h"
#include "tests/fixtures/loopback_server.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

// Bytes the whois program printed, or -1 when it could not be run.
long long RunWhoisProgram(uint16_t port)
{
    const std::string command = "whois -h 127.0.0.1 -p " + std::to_string(port) + " bench.test 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return -1;
    static char buffer[1 << 16];
    long long total = 0;
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) total += static_cast<long long>(n);
    return ::pclose(pipe) == 0 ? total : -1;
}

// A field of /proc/self/status in bytes ("VmRSS", "VmHWM"), or -1.
long long StatusBytes(const std::string& field)
{
    std::ifstream status("/proc/self/status");
    std::string name;
    long long kilobytes = 0;
    while (status >> name) {
        if (name == field + ":" && status >> kilobytes) return kilobytes * 1024;
        status.ignore(1 << 12, '\n');
    }
    return -1;
}

// Starts a new high-water mark of the process's resident memory.
bool ResetPeakMemory()
{
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    return static_cast<bool>(clear.flush());
}

}  // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const bool havePeer = std::system("command -v whois >/dev/null 2>&1") == 0;
    const std::string line = "nserver:     ns1.some-registrar.bench.test\r\n";
    std::printf("whois reply over loopback, best of %d runs\n", runs);
    std::printf("%10s %16s %16s %16s %8s\n", "size", "QueryDomain", "(filter on)", "whois program", "peak");
    for (const uint64_t megabytes : {1ULL, 10ULL, 100ULL}) {
        const uint64_t size = megabytes * 1000 * 1000;
        fixtures::ServerOptions options;
        options.StepLimitMs = 60000;
        fixtures::LoopbackServer server(fixtures::Script().ExpectLine().SendRepeated(line, size).Close(), options);

        double best[2] = {1e9, 1e9};
        double peak = -1;
        for (int filter = 0; filter < 2; ++filter) {
            for (int run = 0; run < runs; ++run) {
                TIdWhois whois;
                whois.Host = "127.0.0.1";
                whois.Port = server.Port();
                whois.ASCIIFilter = filter == 1;
                // A reply this large passes the window's bound only when it is raised.
                whois.Limits.MaxReplySize = std::max<int64_t>(whois.Limits.MaxReplySize, static_cast<int64_t>(size));
                const long long before = StatusBytes("VmRSS");
                const bool measured = filter == 1 && ResetPeakMemory();
                const auto start = Clock::now();
                const std::string reply = whois.QueryDomain("bench.test");
                const double took = Seconds(Clock::now() - start);
                if (measured && before > 0)
                    peak = std::max(peak, static_cast<double>(StatusBytes("VmHWM") - before) / static_cast<double>(size));
                if (reply.size() != size) {
                    std::fprintf(stderr, "short reply: %zu of %llu bytes\n", reply.size(),
                                 static_cast<unsigned long long>(size));
                    return 1;
                }
                best[filter] = std::min(best[filter], took);
            }
        }
        double peer = -1;
        if (havePeer) {
            for (int run = 0; run < runs; ++run) {
                const auto start = Clock::now();
                const long long printed = RunWhoisProgram(server.Port());
                const double took = Seconds(Clock::now() - start);
                if (printed <= 0) break;
                peer = peer < 0 ? took : std::min(peer, took);
            }
        }
        auto cell = [&](double seconds) {
            static char text[4][32];
            static int next = 0;
            char* out = text[next++ % 4];
            if (seconds < 0)
                std::snprintf(out, 32, "%14s", "n/a");
            else
                std::snprintf(out, 32, "%7.3f s %4.0fMB/s", seconds, static_cast<double>(megabytes) / seconds);
            return out;
        };
        char peakText[16] = "n/a";
        if (peak >= 0) std::snprintf(peakText, sizeof peakText, "%.2fx", peak);
        std::printf("%7llu MB %16s %16s %16s %8s\n", static_cast<unsigned long long>(megabytes), cell(best[0]),
                    cell(best[1]), cell(peer), peakText);
        std::fflush(stdout);
    }
    return 0;
}
