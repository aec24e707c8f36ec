#include "update/data_updater.h"

#include "net/socket/id_anti_freeze.h"
#include "net/socket/id_exceptions.h"
#include "rdap/number_bootstrap.h"
#include "rdap/rdap_error.h"
#include "runtime/files.h"
#include "update/data_stamp.h"

#include <chrono>
#include <thread>

namespace {

const char* const kConnecting = "Connection au serveur";
const char* const kInvalidReply = "Retour du serveur invalide";
const char* const kCheckingRdap = "V\xE9rification des donn\xE9" "es RDAP";

// Reads one data file's stamp; false when the file is unusable.
bool ReadStamp(const std::string& path, std::string& stamp) { return StampOfText(ReadFileBytes(path), stamp); }

}  // namespace

// A bootstrap file the update server may publish: asked as name=Name, kept as Name.json.
struct TDataUpdater::TBootstrapFile {
    const char* Name;
    std::string TDataUpdater::*Stamp;
    // Whether a body is a file of that kind; its "publication" is read apart.
    bool (*Readable)(std::string_view body);
};

namespace {

template <TNumberFamily family>
bool ReadsAsNumbers(std::string_view body)
{
    try {
        TRdapNumberBootstrap(family).Load(body);
        return true;
    } catch (const ERdapBootstrapError&) {
        return false;
    }
}

const TDataUpdater::TBootstrapFile kBootstrapFiles[] = {
    {"rdap", &TDataUpdater::RdapStamp, [](std::string_view) { return true; }},
    {"ipv4", &TDataUpdater::Ipv4Stamp, ReadsAsNumbers<TNumberFamily::Ipv4>},
    {"ipv6", &TDataUpdater::Ipv6Stamp, ReadsAsNumbers<TNumberFamily::Ipv6>},
    {"asn", &TDataUpdater::AsnStamp, ReadsAsNumbers<TNumberFamily::Asn>},
};

}  // namespace

struct TDataUpdater::TCheck {
    TCheckLabel Label;
    std::string TDataUpdater::*Stamp;
    const char* Name;
    void (TDataUpdater::*Save)(const std::string& body);
    const char* Checking;
    const char* Current;
    const char* Updating;
    const char* Updated;
};

TDataUpdater::TDataUpdater(std::string dataDir, std::string host, int32_t timeout)
    : DataDir(std::move(dataDir)), UpdateHost(std::move(host))
{
    IdHTTP.Limits = UpdateCheckLimits();
    IdHTTP.Limits.ReadTimeout = timeout;
    IdHTTP.Limits.ConnectTimeout = timeout;
}

void TDataUpdater::ReadStamps()
{
    DataCorrupt = false;
    if (!ReadStamp(DataDir + "whois.dat", WhoisStamp) || !ReadStamp(DataDir + "dns.dat", DnsStamp)) {
        DataCorrupt = true;
        return;
    }
    for (const TBootstrapFile& file : kBootstrapFiles) {
        std::string& stamp = this->*file.Stamp;
        stamp.clear();
        try {
            PublicationOfText(ReadFileBytes(DataDir + file.Name + ".json"), stamp);
        } catch (const std::exception&) {
        }
    }
}

void TDataUpdater::RunChecks()
{
    FailedChecks = 0;
    IdHTTP.Request.Reset();
    RunCheck(&TDataUpdater::CheckDnsData);
    IdHTTP.Reply.Reset();
    IdHTTP.Request.Reset();
    RunCheck(&TDataUpdater::CheckWhoisData);
    IdHTTP.Reply.Reset();
    IdHTTP.Request.Reset();
    // A server that failed both checks is not asked a third time: out of reach, it would
    // only make the user wait once more for the same end.
    if (FailedChecks < 2) CheckRdapData();
    IdHTTP.Reply.Reset();
    IdHTTP.Request.Reset();
}

void TDataUpdater::CheckRdapData()
{
    // Quiet until the server answers: one that publishes none of these files, or that is
    // gone by these optional questions, leaves the dialog as the two checks left it. Any
    // other answer that keeps a file as it was fails the check.
    bool answered = false, updated = false;
    std::string failure;
    for (const TBootstrapFile& file : kBootstrapFiles) {
        IdHTTP.Reply.Reset();
        IdHTTP.Request.Reset();
        std::string failedAt;
        const TBootstrapOutcome outcome = CheckBootstrapFile(file, failedAt);
        if (outcome == TBootstrapOutcome::Gone) break;
        answered = answered || outcome != TBootstrapOutcome::Unpublished;
        updated = updated || outcome == TBootstrapOutcome::Updated;
        if (outcome == TBootstrapOutcome::Failed) {
            ++FailedChecks;
            if (failure.empty()) failure = failedAt;
        }
        // The address and AS files come with rdap.json: a server that does not publish
        // it, or fails it, is asked no more.
        const bool current = outcome == TBootstrapOutcome::Current || outcome == TBootstrapOutcome::Updated;
        if (file.Stamp == &TDataUpdater::RdapStamp && !current) break;
    }
    if (!answered) return;
    // The line ends with the text of the step a file failed at, as the others do.
    LabelRdap = !failure.empty() ? failure
                : updated        ? "Les donn\xE9" "es RDAP ont \xE9t\xE9 mise \xE0 jour."
                                 : "Les donn\xE9" "es RDAP n'ont pas besoin d'\xEAtre mise \xE0 jour.";
    Repaint(&TDataUpdater::LabelRdap);
}

TDataUpdater::TBootstrapOutcome TDataUpdater::CheckBootstrapFile(const TBootstrapFile& file, std::string& failedAt)
{
    IdHTTP.Host = UpdateHost;
    std::string body;
    try {
        body = IdHTTP.GetText("update-whois.php?date=" + PublicationQueryValue(this->*file.Stamp) + "&name=" + file.Name);
    } catch (const EIdProtocolReplyError&) {
        if (IdHTTP.StatusCode == 404) return TBootstrapOutcome::Unpublished;
        failedAt = kCheckingRdap;
        return TBootstrapOutcome::Failed;
    } catch (const EIdStopped&) {
        throw;  // closing the dialog ends the checks
    } catch (...) {
        return TBootstrapOutcome::Gone;
    }
    std::string newStamp;
    switch (IdHTTP.StatusCode) {
    case 201:
        return TBootstrapOutcome::Current;
    case 202:
        // A file without a usable stamp would be downloaded again at every update.
        if (!PublicationOfText(body, newStamp) || newStamp.empty() || !file.Readable(body)) {
            failedAt = kInvalidReply;
            return TBootstrapOutcome::Failed;
        }
        try {
            ReplaceFileAtomically(DataDir + file.Name + ".json", body);
        } catch (const std::exception&) {
            failedAt = "Mise \xE0 jour des donn\xE9" "es RDAP.";
            return TBootstrapOutcome::Failed;
        }
        return TBootstrapOutcome::Updated;
    default:
        failedAt = kInvalidReply;
        return TBootstrapOutcome::Failed;
    }
}

void TDataUpdater::RunCheck(void (TDataUpdater::*check)())
{
    FCheckDone = false;
    try {
        (this->*check)();
    } catch (const EIdStopped&) {
        throw;
    } catch (...) {
    }
    if (!FCheckDone) ++FailedChecks;
}

void TDataUpdater::CheckDnsData()
{
    static const TCheck check{&TDataUpdater::LabelDNS,
                              &TDataUpdater::DnsStamp,
                              "dns",
                              &TDataUpdater::SaveDnsData,
                              "V\xE9rification des donn\xE9" "es DNS",
                              "Les donn\xE9" "es DNS n'ont pas besoin d'\xEAtre mise \xE0 jour.",
                              "Mise \xE0 jour des donn\xE9" "es DNS.",
                              "Les donn\xE9" "es DNS ont \xE9t\xE9 mise \xE0 jour."};
    Check(check);
}

void TDataUpdater::CheckWhoisData()
{
    static const TCheck check{&TDataUpdater::LabelWhois,
                              &TDataUpdater::WhoisStamp,
                              "whois",
                              &TDataUpdater::SaveWhoisData,
                              "V\xE9rification des donn\xE9" "es Whois",
                              "Les donn\xE9" "es Whois n'ont pas besoin d'\xEAtre mise \xE0 jour.",
                              "Mise \xE0 jour des donn\xE9" "es whois.",
                              "Les donn\xE9" "es Whois ont \xE9t\xE9 mise \xE0 jour."};
    Check(check);
}

void TDataUpdater::Check(const TCheck& check)
{
    std::string& label = this->*check.Label;
    label = check.Checking;
    Label1 = kConnecting;
    Repaint(check.Label);
    Pause(200);

    IdHTTP.Host = UpdateHost;
    const std::string body = IdHTTP.GetText("update-whois.php?date=" + this->*check.Stamp + "&name=" + check.Name);
    std::string newStamp;
    switch (IdHTTP.StatusCode) {
    case 201:
        label = check.Current;
        Label1.clear();
        Repaint(check.Label);
        FCheckDone = true;
        break;
    case 202:
        // A body that is no data file would make the next opening refuse: keep the old one.
        if (!StampOfText(body, newStamp)) {
            label = kInvalidReply;
            break;
        }
        label = check.Updating;
        Label1.clear();
        Repaint(check.Label);
        Pause(500);
        (this->*check.Save)(body);
        label = check.Updated;
        Label1.clear();
        FCheckDone = true;
        break;
    default:
        label = kInvalidReply;
        break;
    }
}

void TDataUpdater::SaveDnsData(const std::string& body) { ReplaceFileAtomically(DataDir + "dns.dat", DataFileBytes(body)); }

void TDataUpdater::SaveWhoisData(const std::string& body)
{
    ReplaceFileAtomically(DataDir + "whois.dat", DataFileBytes(body));
}

void TDataUpdater::Repaint(TCheckLabel checkLabel)
{
    if (OnRepaint) OnRepaint(checkLabel);
}

void TDataUpdater::Pause(int milliseconds)
{
    if (OnPause)
        OnPause(milliseconds);
    else
        SlicedWait(milliseconds, [](int32_t slice) {
            std::this_thread::sleep_for(std::chrono::milliseconds(slice));
            return 0;
        });
}
