// norvane-cli lookup -f over ten whois servers on loopback, each answering at once: the
// time a list takes against its pacing floor (the names of one server, one pace apart),
// and the program's peak memory for lists of 100 and 1,000 names, which should be the same.
//
//   bench_list_pacing [BIN_DIR]     BIN_DIR holds norvane-cli (default: beside this program)
#include "tests/fixtures/loopback_server.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kServers = 10;
constexpr double kPace = 0.05;
constexpr const char* kPaceText = "0.05";

const char* const kReply =
    "Domain Name: BENCH.TEST\r\nRegistrar: Bench Registrar\r\nCreation Date: 2001-01-01T00:00:00Z\r\n"
    "Registry Expiry Date: 2031-01-01T00:00:00Z\r\nDomain Status: ok\r\nName Server: NS1.BENCH.TEST\r\n";

struct TRun {
    double Seconds = 0;
    long PeakKb = 0;
    int Status = -1;
};

// Runs the companion on a list of `names` names and waits for it.
TRun RunList(const std::string& cli, const std::filesystem::path& dir, int names, int jobs)
{
    const std::filesystem::path list = dir / ("names-" + std::to_string(names));
    {
        std::ofstream out(list);
        for (int i = 0; i < names; ++i) out << "n" << i << ".e" << i % kServers << "\n";
    }
    const std::string jobsText = std::to_string(jobs);
    std::fflush(stdout);
    const Clock::time_point start = Clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        if (std::freopen("/dev/null", "w", stdout) == nullptr) ::_exit(127);
        ::execl(cli.c_str(), cli.c_str(), "lookup", "--whois-only", "--csv", "--data-dir", dir.c_str(), "--pace",
                kPaceText, "--jobs", jobsText.c_str(), "-f", list.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    TRun run;
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    run.Seconds = std::chrono::duration<double>(Clock::now() - start).count();
    run.PeakKb = usage.ru_maxrss;
    run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string bin = argc > 1 ? argv[1] : std::filesystem::path(argv[0]).parent_path().string();
    const std::string cli = bin + "/norvane-cli";
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("norvane-bench-list-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);

    // One server per extension, each on an address of its own: pacing is per server name.
    std::vector<std::unique_ptr<fixtures::LoopbackServer>> servers;
    std::ofstream catalogue(dir / "whois.dat");
    catalogue << "#1\r\n";
    for (int i = 0; i < kServers; ++i) {
        fixtures::ServerOptions options;
        options.Address = "127.0.9." + std::to_string(i + 1);
        servers.push_back(std::make_unique<fixtures::LoopbackServer>(
            [](size_t) { return fixtures::Script().ExpectLine().Send(kReply).Close(); }, options));
        catalogue << "e" << i << "=" << options.Address << "\r\np@" << options.Address << "=" << servers.back()->Port()
                  << "\r\n";
    }
    catalogue.close();

    int status = 0;
    std::printf("%-8s %-5s %9s %9s %7s %10s %s\n", "names", "jobs", "seconds", "floor", "ratio", "peak KB", "status");
    for (const auto& [names, jobs] : std::vector<std::pair<int, int>>{{100, 10}, {1000, 10}, {1000, 4}}) {
        const TRun run = RunList(cli, dir, names, jobs);
        // The names of one server, one pace each.
        const double floor = names / kServers * kPace;
        std::printf("%-8d %-5d %9.3f %9.3f %7.3f %10ld %d\n", names, jobs, run.Seconds, floor, run.Seconds / floor,
                    run.PeakKb, run.Status);
        if (run.Status != 0) status = 1;
    }
    std::filesystem::remove_all(dir);
    return status;
}
