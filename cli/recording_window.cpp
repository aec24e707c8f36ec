#include "cli/recording_window.h"

#include "app/lookup_name.h"
#include "app/rdap_stage.h"
#include "app/whois_query.h"
#include "cli/numbers.h"
#include "dns/dns_records.h"
#include "dns/host_info.h"
#include "net/http/id_internet_date.h"
#include "rdap/bootstrap.h"
#include "rdap/rdap_lookup.h"
#include "runtime/text.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <exception>

namespace {

constexpr int kLongestRetryWait = 60;
// A reply nested deeper than this is kept out of the output: writing it would recurse.
constexpr int kDeepestObject = 64;

// A message as the output carries it: UTF-8, on one line.
std::string OneLine(const std::string& message)
{
    return Trim(ReplaceAll(ReplaceAll(ReplaceAll(DecodeWhoisReply(message), "\r\n", " "), "\r", " "), "\n", " "));
}

// The reply as a JSON object, or null when it is none or nests too deep to be written.
nlohmann::json ParsedObject(const std::string& body)
{
    bool tooDeep = false;
    nlohmann::json object = nlohmann::json::parse(
        body, [&tooDeep](int depth, nlohmann::json::parse_event_t, nlohmann::json&) {
            if (depth > kDeepestObject) tooDeep = true;
            return !tooDeep;
        },
        false);
    if (tooDeep || object.is_discarded() || !object.is_object()) return nullptr;
    return object;
}

}  // namespace

std::string WhoisServerKey(const std::string& host) { return "whois:" + LowerCase(host); }

std::string RdapServerKey(const std::string& url)
{
    const size_t scheme = url.find("://");
    const size_t start = scheme == std::string::npos ? 0 : scheme + 3;
    return "rdap:" + LowerCase(url.substr(0, url.find('/', start)));
}

std::string FirstServerOf(const TLookupSetup& setup, const std::string& typed)
{
    const std::optional<std::string> name = LookupName(typed);
    if (!name || !setup.Whois) return {};
    const std::string extension = ExtensionOf(*name);
    const std::string base = extension.empty() ? "" : setup.RdapServers->BaseUrlFor(extension);
    const bool whoisKnown = !setup.WhoisServers->Values(extension).empty();
    if (!base.empty() && (setup.RdapFirst || !whoisKnown)) return RdapServerKey(base);
    std::string queryTemplate;
    int port = DefaultWhoisPort;
    const std::string host = FindWhoisServer(*setup.WhoisServers, *name, queryTemplate, port, [](const std::string&) {});
    return host.empty() ? "" : WhoisServerKey(host);
}

std::optional<int> RetryWait(const std::string& retryAfter)
{
    if (const std::optional<uint32_t> seconds = ParseDecimal(retryAfter, kLongestRetryWait))
        return static_cast<int>(*seconds);
    // An HTTP date, always in GMT: days since 1899-12-30, the Unix epoch being day 25569.
    const double days = InternetDateToDateTime(retryAfter);
    if (days == 0) return std::nullopt;
    const double wait = std::ceil((days - 25569) * 86400 - static_cast<double>(std::time(nullptr)));
    if (wait > kLongestRetryWait) return std::nullopt;
    return static_cast<int>(std::max(wait, 0.0));
}

TRecordingWindow::TRecordingWindow(const TLookupSetup& setup, std::string typed) : FSetup(setup)
{
    FResult.Typed = std::move(typed);
    FWhois.ASCIIFilter = !setup.KeepAccents;
    FResolver.Port = DefaultDNSPort;
    FResolver.ReceiveTimeout = DefaultDNSReceiveTimeout;
}

TNameResult TRecordingWindow::Run()
{
    FResult.Ascii = LookupName(FResult.Typed).value_or("");
    try {
        TLookupDriver(*this, *FSetup.WhoisServers, FSetup.RdapServers).Button1Click();
    } catch (const std::exception& failure) {
        Fail(FStage, failure.what());
    }
    FResult.Tree = FTree.Lines();
    ReadRegistration();
    return std::move(FResult);
}

void TRecordingWindow::Fail(const std::string& stage, const std::string& message)
{
    FResult.Failures.push_back({stage, OneLine(message)});
}

void TRecordingWindow::ShowError(const std::string& message)
{
    // A whois failure is kept when it happens, before the driver passes it on here.
    const std::string line = OneLine(message);
    for (const TFailure& known : FResult.Failures)
        if (known.Message == line) return;
    if (!line.empty()) Fail(FStage, message);
}

void TRecordingWindow::ShowHostInfo(const std::string& name)
{
    FStage = "dns";
    try {
        TSystemHostResolver resolver;
        TTreeNode* hostRootNode = nullptr;
        ::ShowHostInfo(resolver, FTree, name, hostRootNode);
    } catch (const std::exception& failure) {
        Fail("dns", failure.what());
    }
}

void TRecordingWindow::ShowDnsRecords(const std::string& name)
{
    FStage = "dns";
    try {
        TResolverQuery query(FResolver);
        ::ShowDnsRecords(query, FTree, FSetup.DefaultDnsServer, name, FSetup.DataDir);
    } catch (const std::exception& failure) {
        Fail("dns", failure.what());
    }
}

std::string TRecordingWindow::QueryWhois(const std::string& host, const std::string& queryTemplate, int port,
                                         const std::string& name)
{
    FStage = "whois";
    FResult.WhoisAsked = true;
    FResult.WhoisServer = host;
    std::string reply;
    {
        const TPacedQueue::TTurn turn(*FSetup.Queue, WhoisServerKey(host));
        try {
            reply = RunCatalogueQuery(FWhois, host, queryTemplate, port, name);
        } catch (const std::exception& failure) {
            // Kept here: the driver may answer it with RDAP and say nothing more.
            FResult.WhoisError = OneLine(failure.what());
            Fail("whois", failure.what());
            throw;
        }
    }
    FResult.WhoisText = ReplaceAll(reply, "\r\n", "\n");
    if (const std::string notice = RateLimitNotice(reply); !notice.empty()) {
        FResult.Limited = true;
        Fail("whois", "rate limited: " + notice);
    }
    FStage = "rdap";
    return reply;
}

std::string TRecordingWindow::QueryWhoisByHand(const std::string&) { return {}; }

std::string TRecordingWindow::QueryRdap(const std::string& base, const std::string& name)
{
    FStage = "rdap";
    return RdapDomainText(base, name, [this](const std::string& url) { return PacedRdapGet(url); });
}

TRdapReply TRecordingWindow::PacedRdapGet(const std::string& url)
{
    TRdapExchange exchange;
    exchange.Url = url;
    TRdapReply reply;
    try {
        std::optional<int> wait;
        {
            TPacedQueue::TTurn turn(*FSetup.Queue, RdapServerKey(url));
            reply = RdapGet(url);
            if (reply.Status == 429) wait = RetryWait(reply.RetryAfter);
            if (wait) turn.HoldOff(std::chrono::seconds(*wait));
        }
        if (wait) {
            const TPacedQueue::TTurn turn(*FSetup.Queue, RdapServerKey(url));
            reply = RdapGet(url);
        }
    } catch (const std::exception& failure) {
        exchange.Error = OneLine(failure.what());
        FResult.Rdap.push_back(std::move(exchange));
        throw;
    }
    exchange.Status = reply.Status;
    if (reply.Status == 200) exchange.Object = ParsedObject(reply.Body);
    if (reply.Status == 429) FResult.Limited = true;
    // Only the registry's "not found" is a failure; the registrar's is shown on the page.
    if (reply.Status == 404 && FResult.Rdap.empty()) Fail("rdap", "RDAP server " + url + " answered 404: name not found.");
    FResult.Rdap.push_back(std::move(exchange));
    return reply;
}

void TRecordingWindow::ReadRegistration()
{
    if (FResult.Limited) return;
    const std::vector<TRdapExchange>& rdap = FResult.Rdap;
    if (!rdap.empty() && rdap[0].Object.is_object()) {
        const nlohmann::json* registrar = rdap.size() > 1 && rdap[1].Object.is_object() ? &rdap[1].Object : nullptr;
        FResult.Registration = RegistrationFromRdap(rdap[0].Object, registrar);
    } else if (rdap.empty() && FResult.WhoisText && !FResult.WhoisText->empty()) {
        FResult.Registration = RegistrationFromWhois(*FResult.WhoisText);
    }
}
