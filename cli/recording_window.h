#pragma once
#include "app/lookup_driver.h"
#include "cli/memory_tree.h"
#include "cli/name_result.h"
#include "cli/paced_queue.h"
#include "net/dns/id_dns_resolver.h"
#include "net/whois/id_whois.h"
#include "rdap/rdap_request.h"

#include <string>

// What a list's name needs that the whole run shares; read only once the jobs run.
struct TLookupSetup {
    std::string DataDir;  // ends with "/"
    const TWhoisServers* WhoisServers = nullptr;
    const TRdapBootstrap* RdapServers = nullptr;
    std::string DefaultDnsServer;
    bool Whois = true, Dns = true, RdapFirst = false, KeepAccents = false;
    TPacedQueue* Queue = nullptr;
};

// The server a name's first request goes to, as TPacedQueue keys servers ("" for none).
std::string FirstServerOf(const TLookupSetup& setup, const std::string& typed);
// The keys of a request's server: "whois:" + host, "rdap:" + the URL's scheme and host.
std::string WhoisServerKey(const std::string& host);
std::string RdapServerKey(const std::string& url);

// The lookup of "Lancer" for one name, on a job's thread, keeping every part of the
// answer (whois text, RDAP replies, tree, failures) instead of showing it.
class TRecordingWindow final : public ILookupWindow {
public:
    TRecordingWindow(const TLookupSetup& setup, std::string typed);
    // Runs the lookup and reads the registration from what came back.
    TNameResult Run();

    std::string NameText() const override { return FResult.Typed; }
    bool WhoisChecked() const override { return FSetup.Whois; }
    bool DnsChecked() const override { return FSetup.Dns; }
    bool RdapFirstChecked() const override { return FSetup.RdapFirst; }
    TCursor ScreenCursor() const override { return TCursor::crDefault; }
    void SetScreenCursor(TCursor) override {}
    void SetStageText(const std::string&) override {}
    void RepaintStatusBar() override {}
    void SetProgressPosition(int) override {}
    void ClearMemo() override {}
    void SetMemoText(const std::string&) override {}
    void ClearTree() override { FTree.Clear(); }
    void BeginTreeUpdate() override {}
    void EndTreeUpdate() override {}
    void ShowError(const std::string& message) override;
    void ShowHostInfo(const std::string& name) override;
    void ShowDnsRecords(const std::string& name) override;
    std::string QueryWhois(const std::string& host, const std::string& queryTemplate, int port,
                           const std::string& name) override;
    std::string QueryWhoisByHand(const std::string& name) override;
    std::string QueryRdap(const std::string& base, const std::string& name) override;

private:
    // One RDAP request in its server's turn, asked again once after the wait a 429 names.
    TRdapReply PacedRdapGet(const std::string& url);
    void Fail(const std::string& stage, const std::string& message);
    void ReadRegistration();

    const TLookupSetup& FSetup;
    TNameResult FResult;
    TMemoryTree FTree;
    TIdWhois FWhois;
    TIdDNSResolver FResolver;
    std::string FStage = "name";  // where a message of ShowError comes from
};

// The wait a 429's Retry-After asks for, in seconds, when it is at most 60 (a number of
// seconds, or a date that near; 0 for a date past); nothing otherwise (a longer wait, no
// header, anything else): the name is then reported limited at once.
std::optional<int> RetryWait(const std::string& retryAfter);
