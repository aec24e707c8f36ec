#include "app/lookup_driver.h"

#include "app/lookup_name.h"
#include "app/rdap_stage.h"
#include "net/socket/id_exceptions.h"
#include "rdap/bootstrap.h"
#include "rdap/rdap_lookup.h"

#include <exception>

namespace {

// Texts are Windows-1252 bytes, like everything the window shows.
const TStage Stages[StageCount] = {
    {"", 0},
    {"R\xE9solution de l'URL", 0},
    {"Int\xE9rogation du serveur DNS", 33},
    {"Int\xE9rogation du serveur Whois", 66},
    {"R\xE9solution de l'URL", 33},
    {"Int\xE9rogation du serveur DNS", 66},
    {"Int\xE9rogation du serveur Whois", 0},
};

}  // namespace

const TStage& StageOf(int stage) { return Stages[stage >= 0 && stage < StageCount ? stage : 0]; }

void SetStage(IStageDisplay& display, int stage)
{
    if (stage < 0 || stage >= StageCount) return;
    display.SetStageText(Stages[stage].Text);
    display.RepaintStatusBar();
    display.SetProgressPosition(Stages[stage].Position);
}

THourGlass::THourGlass(ILookupWindow& window) : FWindow(window), FSaved(window.ScreenCursor())
{
    FWindow.SetScreenCursor(TCursor::crHourGlass);
}

void THourGlass::Restore()
{
    if (FRestored) return;
    FRestored = true;
    FWindow.SetScreenCursor(FSaved);
}

bool TLookupDriver::TakeName(std::optional<std::string> (*convert)(std::string_view))
{
    const std::optional<std::string> name = convert(FWindow.NameText());
    if (!name) {
        FWindow.ShowError(InvalidAddress);
        return false;
    }
    FName = *name;
    return true;
}

void TLookupDriver::Button1Click()
{
    if (!TakeName(LookupName)) return;
    std::string queryTemplate;
    int port = DefaultWhoisPort;
    const std::string extension = ExtensionOf(FName);
    FRdapBase = FRdap != nullptr && !extension.empty() ? FRdap->BaseUrlFor(extension) : "";
    // An extension only RDAP knows goes on without a whois server.
    std::string host;
    if (FRdapBase.empty() || !FServers.Values(extension).empty()) {
        host = FindWhoisServer(FServers, FName, queryTemplate, port,
                               [this](const std::string& message) { FWindow.ShowError(message); });
        if (host.empty()) return;
    }
    const bool whois = FWindow.WhoisChecked();
    const bool dns = FWindow.DnsChecked();
    Stoppable([&] {
        if (whois && dns)
            RunWhoisAndDns(host, queryTemplate, port);
        else if (whois)
            RunWhois(host, queryTemplate, port);
        else if (dns)
            RunDns();
    });
}

template <typename Path> void TLookupDriver::Stoppable(Path path)
{
    FWritesTree = false;
    try {
        path();
    } catch (const EIdStopped&) {
        if (FWritesTree)
            FWindow.AddTreeNote(LookupStopped);
        else
            FWindow.AddMemoLine(LookupStopped);
        SetStage(FWindow, 0);
    }
}

template <typename Step> void TLookupDriver::InTreeUpdate(Step step)
{
    FWritesTree = true;
    struct Bracket {
        ILookupWindow& Window;
        ~Bracket() { Window.EndTreeUpdate(); }
    };
    FWindow.BeginTreeUpdate();
    Bracket bracket{FWindow};
    step();
}

void TLookupDriver::RunWhoisAndDns(const std::string& host, const std::string& queryTemplate, int port)
{
    THourGlass hourglass(FWindow);
    FWindow.ClearMemo();
    FWindow.ClearTree();
    SetStage(FWindow, 0);
    const std::string& name = FName;
    InTreeUpdate([&] {
        SetStage(FWindow, 1);
        FWindow.ShowHostInfo(name);
    });
    SetStage(FWindow, 2);
    InTreeUpdate([&] { FWindow.ShowDnsRecords(name); });
    SetStage(FWindow, 3);
    FinishWithWhois(hourglass, host, queryTemplate, port, name);
}

void TLookupDriver::RunDns()
{
    THourGlass hourglass(FWindow);
    FWindow.ClearTree();
    SetStage(FWindow, 0);
    const std::string& name = FName;
    InTreeUpdate([&] {
        SetStage(FWindow, 4);
        FWindow.ShowHostInfo(name);
    });
    SetStage(FWindow, 5);
    InTreeUpdate([&] { FWindow.ShowDnsRecords(name); });
    SetStage(FWindow, 0);
    hourglass.Restore();
}

void TLookupDriver::RunWhois(const std::string& host, const std::string& queryTemplate, int port)
{
    THourGlass hourglass(FWindow);
    FWindow.ClearMemo();
    SetStage(FWindow, 0);
    const std::string& name = FName;
    SetStage(FWindow, 6);
    FinishWithWhois(hourglass, host, queryTemplate, port, name);
}

void TLookupDriver::FinishWithWhois(THourGlass& hourglass, const std::string& host, const std::string& queryTemplate,
                                    int port, const std::string& name)
{
    FWritesTree = false;
    std::string reply;
    try {
        if (!FRdapBase.empty() && (host.empty() || FWindow.RdapFirstChecked()))
            reply = FWindow.QueryRdap(FRdapBase, name);
        else
            reply = WhoisOrRdap(host, queryTemplate, port, name);
    } catch (const EIdStopped&) {
        throw;
    } catch (const std::exception& failure) {
        hourglass.Restore();
        FWindow.ShowError(failure.what());
        SetStage(FWindow, 0);
        return;
    }
    FWindow.SetMemoText(reply);
    hourglass.Restore();
    SetStage(FWindow, 0);
}

std::string TLookupDriver::WhoisOrRdap(const std::string& host, const std::string& queryTemplate, int port,
                                       const std::string& name)
{
    std::string whoisFailure;
    try {
        std::string reply = FWindow.QueryWhois(host, queryTemplate, port, name);
        if (!reply.empty() || FRdapBase.empty()) return reply;
        whoisFailure = "connexion ferm\xC3\xA9" "e sans r\xC3\xA9ponse";
    } catch (const EIdStopped&) {
        throw;
    } catch (const std::exception& failure) {
        if (FRdapBase.empty() || !WhoisUnreachable(failure)) throw;
        whoisFailure = failure.what();
    }
    const std::string line = WhoisFallbackLine(host, whoisFailure);
    try {
        return line + FWindow.QueryRdap(FRdapBase, name);
    } catch (...) {
        // The page keeps what is known: the whois server's failure.
        FWindow.SetMemoText(line);
        throw;
    }
}

std::string ILookupWindow::QueryRdap(const std::string& base, const std::string& name) { return RdapDomainText(base, name); }

void TLookupDriver::SpeedButton3Click()
{
    if (!TakeName(ByHandQuery)) return;
    SetStage(FWindow, 0);
    Stoppable([&] {
        THourGlass hourglass(FWindow);
        FWindow.ClearMemo();
        std::string reply;
        try {
            reply = FWindow.QueryWhoisByHand(FName);
        } catch (const EIdStopped&) {
            throw;
        } catch (const std::exception& failure) {
            hourglass.Restore();
            FWindow.ShowError(failure.what());
            return;
        }
        FWindow.SetMemoText(reply);
        hourglass.Restore();
    });
}
