#include "cli/lookup_window.h"

#include "app/error_box.h"
#include "app/rdap_stage.h"
#include "app/whois_query.h"
#include "cli/console.h"
#include "dns/dns_records.h"
#include "dns/dns_servers.h"
#include "dns/host_info.h"

#include <exception>

TLookupWindow::TLookupWindow(TConsole& console, std::string dataDir) : AppDir(std::move(dataDir)), FConsole(console)
{
    // As the window's form sets its components up.
    IdWhois1.ASCIIFilter = true;
    IdDNSResolver1.Port = DefaultDNSPort;
    IdDNSResolver1.ReceiveTimeout = DefaultDNSReceiveTimeout;
}

void TLookupWindow::FormCreate()
{
    try {
        WhoisServers.Clear();
        WhoisServers.LoadFromFile(AppDir + "whois.dat");
        LoadRdapBootstrap(RdapServers, AppDir, [this](const std::string& message) { FConsole.Error(message); });
        DefaultDnsServer = LoadDefaultDnsServer([this](const std::string& message) { FConsole.Error(message); });
    } catch (...) {
        ReportException(FConsole, std::current_exception());
    }
}

void TLookupWindow::RepaintStatusBar()
{
    // Stage 0 only clears the status bar: nothing to tell.
    if (!FStageText.empty()) FConsole.Progress(FStageText);
}

void TLookupWindow::ShowError(const std::string& message)
{
    // The driver reports two things: a refused name, and a failed whois query, which
    // QueryWhois has marked before the message arrives.
    if (!FWhoisFailed) FRefused = true;
    FConsole.Error(message);
}

void TLookupWindow::ShowHostInfo(const std::string& name)
{
    TSystemHostResolver resolver;
    TTreeNode* hostRootNode = nullptr;
    ::ShowHostInfo(resolver, FTree, name, hostRootNode);
}

void TLookupWindow::ShowDnsRecords(const std::string& name)
{
    TResolverQuery query(IdDNSResolver1);
    ::ShowDnsRecords(query, FTree, DefaultDnsServer, name, AppDir);
}

std::string TLookupWindow::QueryWhois(const std::string& host, const std::string& queryTemplate, int port,
                                      const std::string& name)
{
    try {
        return RunCatalogueQuery(IdWhois1, host, queryTemplate, port, name);
    } catch (...) {
        FWhoisFailed = true;
        throw;
    }
}

std::string TLookupWindow::QueryRdap(const std::string& base, const std::string& name)
{
    // RDAP answering for an unreachable whois server is the whois step's success.
    try {
        std::string page = ILookupWindow::QueryRdap(base, name);
        FWhoisFailed = false;
        return page;
    } catch (...) {
        FWhoisFailed = true;
        throw;
    }
}

std::string TLookupWindow::QueryWhoisByHand(const std::string& name)
{
    try {
        return RunManualQuery(IdWhois1, LabeledEdit1, name);
    } catch (...) {
        FWhoisFailed = true;
        throw;
    }
}

void ReportException(TConsole& console, std::exception_ptr failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const std::exception& e) {
        console.Error(StandardErrorText(e.what()));
    } catch (...) {
        // A thrown object that is no exception shows an empty message: nothing to print.
    }
}
