// Fetching a 50 MB body from a loopback server: the update dialog's client side by side
// with the system's curl program fetching the same URL from the same server in the same
// run. Two pairs: the body kept (GetText's string against curl writing to a file in
// memory), and the body dropped as it arrives (GetStream into a stream that keeps
// nothing against curl writing to /dev/null), so the cost of the network path and the
// cost of holding 50 MB are told apart. Best of several runs.
#include "net/http/id_http.h"
#include "tests/fixtures/loopback_server.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
constexpr uint64_t kBodySize = 50ULL * 1000 * 1000;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Counts what is written and keeps nothing.
class TDiscardStream : public TIdStream {
public:
    int64_t Size() const override { return FSize; }
    void SetSize(int64_t size) override { FSize = size; }
    int64_t Position() const override { return FPosition; }
    void SetPosition(int64_t position) override { FPosition = position; }
    int64_t Read(void*, int64_t) override { return 0; }
    int64_t Write(const void*, int64_t count) override
    {
        FPosition += count;
        FSize = std::max(FSize, FPosition);
        return count;
    }

private:
    int64_t FSize = 0;
    int64_t FPosition = 0;
};

// curl's own transfer time (start-up excluded), or -1 when it failed.
double RunCurl(uint16_t port, const std::string& output)
{
    const std::string command = "curl -s -o '" + output + "' -w '%{size_download} %{time_total}' http://127.0.0.1:" +
                                std::to_string(port) + "/big 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return -1;
    unsigned long long size = 0;
    double total = 0;
    const int fields = std::fscanf(pipe, "%llu %lf", &size, &total);
    const int status = ::pclose(pipe);
    if (output != "/dev/null") ::unlink(output.c_str());
    return fields == 2 && status == 0 && size == kBodySize ? total : -1;
}

template <typename Fn>
double Best(int runs, Fn&& once)
{
    double best = -1;
    for (int run = 0; run < runs; ++run) {
        const double took = once();
        if (took < 0) return -1;
        best = best < 0 ? took : std::min(best, took);
    }
    return best;
}

std::string Cell(double seconds)
{
    char text[40];
    if (seconds <= 0)
        std::snprintf(text, sizeof text, "%17s", "n/a");
    else
        std::snprintf(text, sizeof text, "%6.3fs %5.0fMB/s", seconds, kBodySize / 1e6 / seconds);
    return text;
}

std::string Ratio(double ours, double theirs)
{
    char text[16] = "n/a";
    if (ours > 0 && theirs > 0) std::snprintf(text, sizeof text, "%.2f", theirs / ours);
    return text;
}

}  // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const bool haveCurl = std::system("command -v curl >/dev/null 2>&1") == 0;
    // A file in memory for curl's kept copy, as GetText keeps its copy in memory.
    const std::string keptFile = (::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
                                 std::string("/norvane-bench-") + std::to_string(::getpid());
    const std::string pattern = "server1=a.nic.example\r\n";
    const struct { const char* name; std::string head; } kinds[] = {
        {"Content-Length", "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(kBodySize) + "\r\n\r\n"},
        {"until close", "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n"},
    };
    std::printf("50 MB body over loopback, best of %d runs; ratio = curl's time / ours (above 1: ours is faster)\n",
                runs);
    std::printf("%-15s %17s %17s %6s   %17s %17s %6s\n", "body ends by", "GetText (kept)", "curl -o file",
                "ratio", "GetStream (drop)", "curl -o /dev/null", "ratio");
    for (const auto& kind : kinds) {
        fixtures::ServerOptions options;
        options.StepLimitMs = 60000;
        fixtures::LoopbackServer server(
            [&](size_t) { return fixtures::Script().ExpectLine().Send(kind.head).SendRepeated(pattern, kBodySize).Close(); },
            options);
        const auto fetch = [&](bool keep) {
            TIdHTTP http;
            http.Host = "127.0.0.1";
            http.DefaultPort = server.Port();
            const auto start = Clock::now();
            uint64_t size = 0;
            if (keep) {
                size = http.GetText("big").size();
            } else {
                TDiscardStream stream;
                http.GetStream("big", stream);
                size = static_cast<uint64_t>(stream.Size());
            }
            const double took = Seconds(Clock::now() - start);
            if (size != kBodySize) {
                std::fprintf(stderr, "short body: %llu bytes\n", static_cast<unsigned long long>(size));
                std::exit(1);
            }
            return took;
        };
        const double kept = Best(runs, [&] { return fetch(true); });
        const double curlKept = haveCurl ? Best(runs, [&] { return RunCurl(server.Port(), keptFile); }) : -1;
        const double dropped = Best(runs, [&] { return fetch(false); });
        const double curlDropped = haveCurl ? Best(runs, [&] { return RunCurl(server.Port(), "/dev/null"); }) : -1;
        std::printf("%-15s %17s %17s %6s   %17s %17s %6s\n", kind.name, Cell(kept).c_str(), Cell(curlKept).c_str(),
                    Ratio(kept, curlKept).c_str(), Cell(dropped).c_str(), Cell(curlDropped).c_str(),
                    Ratio(dropped, curlDropped).c_str());
        std::fflush(stdout);
    }
    return 0;
}
