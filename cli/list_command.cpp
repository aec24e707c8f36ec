// lookup -f, --json, --csv, --warn-days: names looked up by several jobs at once, paced
// per server, each written as one record in the list's order.
#include "app/rdap_stage.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/exit_status.h"
#include "cli/lookup_window.h"
#include "cli/name_list.h"
#include "cli/recording_window.h"
#include "cli/registry_date.h"
#include "cli/result_writers.h"
#include "dns/dns_servers.h"
#include "net/socket/id_component.h"
#include "rdap/bootstrap.h"
#include "runtime/codepage.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <exception>
#include <fstream>
#include <iostream>
#include <map>
#include <mutex>
#include <thread>

namespace {

// How far ahead of the oldest running name a job may go, per job: bounds the records
// kept back for writing in order.
constexpr size_t kLookAheadPerJob = 16;

// Writes the records in the list's order as they come from the jobs, with the progress
// for a person watching, and keeps what decides the exit status.
class TOrderedWriter {
public:
    TOrderedWriter(TConsole& console, const TArguments& args, const std::vector<std::string>& names, int64_t now)
        : FConsole(console), FArgs(args), FNames(names), FNow(now)
    {
        if (FArgs.Csv || !FArgs.Json) FConsole.RawOut(CsvHeader());
    }

    void Put(size_t index, const TNameResult& result)
    {
        const std::lock_guard<std::mutex> lock(FMutex);
        Judge(result);
        FWaiting[index] = FArgs.Json ? JsonLine(result, FNow) : CsvRow(result, FNow);
        if (Outcome(result) != "ok") FConsole.ErrorUtf8(result.Typed + " : " + LastFailure(result));
        ++FDone;
        FConsole.ProgressUtf8("[" + std::to_string(FDone) + "/" + std::to_string(FNames.size()) + "] " + result.Typed);
        for (auto next = FWaiting.begin(); next != FWaiting.end() && next->first == FNext; next = FWaiting.begin()) {
            FConsole.RawReply(next->second);
            FWaiting.erase(next);
            ++FNext;
        }
    }

    int ExitStatus() const
    {
        if (FArgs.WarnDays < 0) return FAnyFailed ? ExitWhoisFailed : ExitOk;
        return FAnyFailed || FAnyExpired ? ExitCritical : FAnyExpiring ? ExitWarning : ExitOk;
    }

private:
    void Judge(const TNameResult& r)
    {
        if (Outcome(r) != "ok") FAnyFailed = true;
        if (!r.Registration || !r.Registration->Expires) return;
        const int64_t left = *r.Registration->Expires - FNow;
        if (left <= 0) FAnyExpired = true;
        else if (left <= int64_t{FArgs.WarnDays} * 86400) FAnyExpiring = true;
    }
    static std::string LastFailure(const TNameResult& r)
    {
        return r.Failures.empty() ? Outcome(r) : r.Failures.back().Message;
    }

    std::mutex FMutex;
    TConsole& FConsole;
    const TArguments& FArgs;
    const std::vector<std::string>& FNames;
    int64_t FNow;
    std::map<size_t, std::string> FWaiting;
    size_t FNext = 0, FDone = 0;
    bool FAnyFailed = false, FAnyExpired = false, FAnyExpiring = false;
};

// The moment the days are counted from: NORVANE_NOW when set (for tests), the clock otherwise.
int64_t Now()
{
    if (const char* fixed = std::getenv("NORVANE_NOW"); fixed != nullptr)
        if (const std::optional<int64_t> now = ReadRegistryDate(fixed)) return *now;
    return static_cast<int64_t>(std::time(nullptr));
}

// The names to look up; false after saying why there are none.
bool ReadNames(const TArguments& args, TConsole& console, std::vector<std::string>& names)
{
    if (!args.ListGiven) {
        names = {args.Name};
        return true;
    }
    const bool standardInput = args.ListFile == "-";
    std::ifstream file;
    if (!standardInput) file.open(args.ListFile);
    std::istream& in = standardInput ? std::cin : file;
    if (in) names = ReadNameList(in);
    if (!in.eof() || in.bad()) {
        console.Error("Impossible de lire la liste " + Utf8ToCp1252(args.ListFile) + " : " + std::strerror(errno) + ".");
        return false;
    }
    if (names.empty()) {
        console.Error("La liste " + Utf8ToCp1252(args.ListFile) + " ne contient aucun nom.");
        return false;
    }
    return true;
}

// What the window loads at creation; false after reporting why it cannot go on.
bool LoadSetup(const TArguments& args, TConsole& console, TWhoisServers& whois, TRdapBootstrap& rdap,
               TLookupSetup& setup)
{
    const auto tell = [&console](const std::string& message) { console.Error(message); };
    setup.DataDir = DataDirectory(args);
    try {
        whois.LoadFromFile(setup.DataDir + "whois.dat");
        LoadRdapBootstrap(rdap, setup.DataDir, tell);
        if (!args.WhoisOnly) setup.DefaultDnsServer = LoadDefaultDnsServer(tell);
    } catch (...) {
        ReportException(console, std::current_exception());
        return false;
    }
    setup.WhoisServers = &whois;
    setup.RdapServers = &rdap;
    setup.Whois = !args.DnsOnly;
    setup.Dns = !args.WhoisOnly;
    setup.RdapFirst = args.RdapFirst;
    setup.KeepAccents = args.KeepAccents;
    return true;
}

}  // namespace

int RunListLookup(const TArguments& args, TConsole& console)
{
    std::vector<std::string> names;
    if (!ReadNames(args, console, names)) return args.WarnDays >= 0 ? ExitCritical : ExitFailed;
    // The socket stack is made and ended on this thread, not by whichever job ends last.
    const TIdComponent stackKeeper;
    TWhoisServers whois;
    TRdapBootstrap rdap;
    TLookupSetup setup;
    if (!LoadSetup(args, console, whois, rdap, setup)) return args.WarnDays >= 0 ? ExitCritical : ExitFailed;

    std::vector<std::string> servers;
    servers.reserve(names.size());
    for (const std::string& name : names) servers.push_back(FirstServerOf(setup, name));
    const size_t jobs = std::min<size_t>(args.Jobs, names.size());
    TPacedQueue queue(servers, std::chrono::milliseconds(args.PaceMs), jobs * kLookAheadPerJob);
    setup.Queue = &queue;
    TOrderedWriter writer(console, args, names, Now());

    std::vector<std::thread> workers;
    for (size_t j = 0; j < jobs; ++j)
        workers.emplace_back([&] {
            while (const std::optional<size_t> index = queue.Take()) {
                writer.Put(*index, TRecordingWindow(setup, names[*index]).Run());
                queue.Done(*index);
            }
        });
    for (std::thread& worker : workers) worker.join();
    return writer.ExitStatus();
}
