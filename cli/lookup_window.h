#pragma once
#include "app/lookup_driver.h"
#include "app/results_file.h"
#include "app/whois_catalogue.h"
#include "cli/memory_tree.h"
#include "net/dns/id_dns_resolver.h"
#include "net/whois/id_whois.h"
#include "rdap/bootstrap.h"

#include <string>

class TConsole;

// The main window as the lookup driver and saving see it, without a window: the name
// field and the two check boxes are set from the command line, the whois page and the
// results tree are kept in memory, the stages and the "Erreur" box go to the console.
class TLookupWindow final : public ILookupWindow, public IResultsSource {
public:
    // dataDir ends with "/".
    TLookupWindow(TConsole& console, std::string dataDir);

    // What the window does at creation: loads the catalogue, then reads the computer's
    // DNS server. A failure is reported as the application's error box would show it and
    // the later steps are skipped, as they are there.
    void FormCreate();

    std::string AppDir;
    TWhoisServers WhoisServers;
    TRdapBootstrap RdapServers;
    std::string DefaultDnsServer;
    TIdWhois IdWhois1;
    TIdDNSResolver IdDNSResolver1;

    // The name field (UTF-8, as the command line gives it), the "Serveur Whois" field and
    // the two check boxes.
    std::string LEditName;
    std::string LabeledEdit1;
    bool CheckWhois = true;
    bool CheckDNS = true;
    bool CheckRdapFirst = false;

    // The lookup's outcome: the name was refused before anything ran; the whois query failed.
    bool Refused() const { return FRefused; }
    bool WhoisFailed() const { return FWhoisFailed; }

    // ILookupWindow
    std::string NameText() const override { return LEditName; }
    bool WhoisChecked() const override { return CheckWhois; }
    bool DnsChecked() const override { return CheckDNS; }
    TCursor ScreenCursor() const override { return FCursor; }
    void SetScreenCursor(TCursor cursor) override { FCursor = cursor; }
    void SetStageText(const std::string& text) override { FStageText = text; }
    void RepaintStatusBar() override;
    void SetProgressPosition(int) override {}
    void ClearMemo() override { FMemo.clear(); }
    void SetMemoText(const std::string& text) override { FMemo = text; }
    void ClearTree() override { FTree.Clear(); }
    void BeginTreeUpdate() override {}
    void EndTreeUpdate() override {}
    void ShowError(const std::string& message) override;
    void ShowHostInfo(const std::string& name) override;
    void ShowDnsRecords(const std::string& name) override;
    std::string QueryWhois(const std::string& host, const std::string& queryTemplate, int port,
                           const std::string& name) override;
    std::string QueryWhoisByHand(const std::string& name) override;
    bool RdapFirstChecked() const override { return CheckRdapFirst; }
    std::string QueryRdap(const std::string& base, const std::string& name) override;

    // IResultsSource
    std::string MemoText() const override { return FMemo; }
    std::vector<TTreeLine> TreeLines() const override { return FTree.Lines(); }

private:
    TConsole& FConsole;
    TMemoryTree FTree;
    std::string FMemo;
    std::string FStageText;
    TCursor FCursor = TCursor::crDefault;
    bool FRefused = false;
    bool FWhoisFailed = false;
};

// What the application's standard error box would show for the exception in flight,
// on standard error.
void ReportException(TConsole& console, std::exception_ptr failure);
