#include "tests/fixtures/loopback_server.h"
#include "tests/unit/update/update_test_support.h"
#include "update/data_updater.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <string>
#include <vector>

using fixtures::LoopbackServer;
using fixtures::Script;
using updatetest::TempDir;

namespace {

// Texts as the dialog shows them (Windows-1252).
const std::string kCheckingDns = "V\xE9rification des donn\xE9" "es DNS";
const std::string kCheckingWhois = "V\xE9rification des donn\xE9" "es Whois";
const std::string kDnsCurrent = "Les donn\xE9" "es DNS n'ont pas besoin d'\xEAtre mise \xE0 jour.";
const std::string kWhoisCurrent = "Les donn\xE9" "es Whois n'ont pas besoin d'\xEAtre mise \xE0 jour.";
const std::string kDnsUpdating = "Mise \xE0 jour des donn\xE9" "es DNS.";
const std::string kWhoisUpdating = "Mise \xE0 jour des donn\xE9" "es whois.";
const std::string kDnsUpdated = "Les donn\xE9" "es DNS ont \xE9t\xE9 mise \xE0 jour.";
const std::string kWhoisUpdated = "Les donn\xE9" "es Whois ont \xE9t\xE9 mise \xE0 jour.";
const std::string kInvalid = "Retour du serveur invalide";
const std::string kConnecting = "Connection au serveur";
const std::string kRdapCurrent = "Les donn\xE9" "es RDAP n'ont pas besoin d'\xEAtre mise \xE0 jour.";
const std::string kRdapUpdated = "Les donn\xE9" "es RDAP ont \xE9t\xE9 mise \xE0 jour.";

std::string RequestFor(const std::string& stamp, const std::string& name)
{
    return "GET /update-whois.php?date=" + stamp + "&name=" + name +
           " HTTP/1.1\r\nHost: 127.0.0.1\r\nAccept: text/html, */*\r\n"
           "User-Agent: Mozilla/3.0 (compatible; Norvane Library)\r\n\r\n";
}

std::string Reply(const std::string& status, const std::string& body, const std::string& extra = "")
{
    return "HTTP/1.1 " + status + "\r\n" + extra + "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

// An updater over a scratch folder, pointed at a test server; it records what the
// dialog would have shown at each repaint and every pause asked for.
struct Harness {
    explicit Harness(const LoopbackServer& server, int32_t timeout = 2000) : Updater(Dir.Path(), "127.0.0.1", timeout)
    {
        Dir.Write("whois.dat", "#w-old\r\nac=whois.nic.ac\r\n");
        Dir.Write("dns.dat", "#d-old\r\n[ac]\r\nserver1=a.nic.ac\r\n");
        Updater.ReadStamps();
        Updater.IdHTTP.DefaultPort = server.Port();
        // What reaches the screen at each repaint: the running check's label and Label1.
        Updater.OnRepaint = [this](TDataUpdater::TCheckLabel label) {
            Repaints.push_back({Updater.*label, Updater.Label1});
        };
        Updater.OnPause = [this](int ms) { Pauses.push_back(ms); };
    }
    TempDir Dir;
    TDataUpdater Updater;
    std::vector<std::vector<std::string>> Repaints;
    std::vector<int> Pauses;
};

TEST(Checks, BothCurrentOverOneConnection)
{
    // A server that does not publish rdap.json: its 404 shows nothing.
    const std::string dnsRequest = RequestFor("d-old", "dns"), whoisRequest = RequestFor("w-old", "whois");
    const std::string rdapRequest = RequestFor("", "rdap");
    LoopbackServer server(Script()
                              .ExpectBytes(dnsRequest.size())
                              .Send(Reply("201 Created", ""))
                              .ExpectBytes(whoisRequest.size())
                              .Send(Reply("201 Created", ""))
                              .ExpectBytes(rdapRequest.size())
                              .Send(Reply("404 Not Found", "404 Not Found\r\n")));
    Harness h(server);
    h.Updater.RunChecks();
    EXPECT_EQ(server.Received(0), dnsRequest + whoisRequest + rdapRequest);
    EXPECT_EQ(h.Updater.LabelRdap, "");
    EXPECT_FALSE(h.Dir.Exists("rdap.json"));
    EXPECT_EQ(server.ConnectionCount(), 1u);
    EXPECT_EQ(h.Updater.LabelDNS, kDnsCurrent);
    EXPECT_EQ(h.Updater.LabelWhois, kWhoisCurrent);
    EXPECT_EQ(h.Updater.Label1, "");
    const std::vector<std::vector<std::string>> repaints = {
        {kCheckingDns, kConnecting},
        {kDnsCurrent, ""},
        {kCheckingWhois, kConnecting},
        {kWhoisCurrent, ""},
    };
    EXPECT_EQ(h.Repaints, repaints);
    EXPECT_EQ(h.Pauses, (std::vector<int>{200, 200}));
    EXPECT_EQ(h.Updater.FailedChecks, 0);
    EXPECT_EQ(h.Dir.Read("dns.dat"), "#d-old\r\n[ac]\r\nserver1=a.nic.ac\r\n");
}

TEST(Checks, Accepted202RewritesTheFileWithCrLf)
{
    const std::string newDns = "#d-new\n[ac]\nserver1=b.nic.ac\n";
    const std::string newWhois = "#w-new\rac=whois2.nic.ac";
    const std::string newRdap = R"({"publication": "2027-01-01T00:00:00Z", "services": [[["ac"], ["https://r.ac/"]]]})";
    LoopbackServer server(Script()
                              .ExpectBytes(RequestFor("d-old", "dns").size())
                              .Send(Reply("202 Accepted", newDns))
                              .ExpectBytes(RequestFor("w-old", "whois").size())
                              .Send(Reply("202 Accepted", newWhois))
                              .ExpectBytes(RequestFor("", "rdap").size())
                              .Send(Reply("202 Accepted", newRdap)));
    Harness h(server);
    h.Updater.RunChecks();
    EXPECT_EQ(h.Dir.Read("rdap.json"), newRdap);
    EXPECT_EQ(h.Updater.LabelRdap, "Les donn\xE9" "es RDAP ont \xE9t\xE9 mise \xE0 jour.");
    EXPECT_EQ(h.Dir.Read("dns.dat"), "#d-new\r\n[ac]\r\nserver1=b.nic.ac\r\n");
    EXPECT_EQ(h.Dir.Read("whois.dat"), "#w-new\r\nac=whois2.nic.ac\r\n");
    EXPECT_EQ(h.Updater.LabelDNS, kDnsUpdated);
    EXPECT_EQ(h.Updater.LabelWhois, kWhoisUpdated);
    EXPECT_EQ(h.Updater.Label1, "");
    // The after-saving texts are not repainted at once.
    const std::vector<std::vector<std::string>> repaints = {
        {kCheckingDns, kConnecting},
        {kDnsUpdating, ""},
        {kCheckingWhois, kConnecting},
        {kWhoisUpdating, ""},
        {"Les donn\xE9" "es RDAP ont \xE9t\xE9 mise \xE0 jour.", ""},
    };
    EXPECT_EQ(h.Repaints, repaints);
    EXPECT_EQ(h.Pauses, (std::vector<int>{200, 500, 200, 500}));

    // The next opening sends the new stamps.
    TDataUpdater again(h.Dir.Path(), "127.0.0.1");
    again.ReadStamps();
    EXPECT_EQ(again.DnsStamp, "d-new");
    EXPECT_EQ(again.WhoisStamp, "w-new");
    EXPECT_EQ(again.RdapStamp, "2027-01-01T00:00:00Z");
}

// One reply for the DNS check and one for the whois check; what the labels end with and
// which files changed.
struct OutcomeCase {
    const char* name;
    std::string dnsReply;
    std::string whoisReply;
    std::string labelDns;
    std::string labelWhois;
    std::string label1;
    bool dnsChanged;
    std::string rdapReply = "";  // "" when it gets the whois reply as well
    std::string labelRdap = "";
};

TEST(Checks, OutcomesOfEveryKindOfReply)
{
    // A 202 whose framing is faulty around the start of a data file.
    const auto cut = [](std::string framing, std::string after = "") { return "HTTP/1.1 202 Accepted\r\n" + framing + "#w-stub\r\n" + after; };
    const OutcomeCase cases[] = {
        {"200 then 201", Reply("200 OK", "x"), Reply("201 Created", ""), kInvalid, kWhoisCurrent, "", false},
        {"201 then 200", Reply("201 Created", ""), Reply("200 OK", ""), kDnsCurrent, kInvalid, kConnecting, false},
        {"404 twice", Reply("404 Not Found", "no"), Reply("404 Not Found", "no"), kCheckingDns, kCheckingWhois,
         kConnecting, false},
        {"202 without #", Reply("202 Accepted", "server1=x\r\n"), Reply("202 Accepted", ""), kInvalid, kInvalid,
         kConnecting, false},
        {"202 with a Location", Reply("202 Accepted", "#new\r\n", "Location: /x\r\n"), Reply("201 Created", ""),
         kCheckingDns, kWhoisCurrent, "", false},
        {"malformed status", "HTTP/1.1 abc\r\n\r\n", Reply("201 Created", ""), kCheckingDns, kWhoisCurrent, "", false},
        {"202 with #", Reply("202 Accepted", "#n\r\n"), Reply("404 Not Found", ""), kDnsUpdated, kCheckingWhois,
         kConnecting, true},
        // Framing that would pass a cut body for a whole one: the check fails, nothing is written.
        {"oversized chunk", Reply("201 Created", ""), cut("Transfer-Encoding: chunked\r\n\r\n9\r\n", "\r\n80000000\r\n\r\n"),
         kDnsCurrent, kCheckingWhois, kConnecting, false},
        {"oversized length", Reply("201 Created", ""), cut("Content-Length: 99999999999\r\n\r\n"), kDnsCurrent,
         kCheckingWhois, kConnecting, false},
        {"length no number", Reply("201 Created", ""), cut("Content-Length: 1e3\r\n\r\n"), kDnsCurrent,
         kCheckingWhois, kConnecting, false},
        {"chunk past its size", Reply("201 Created", ""), cut("Transfer-Encoding: chunked\r\n\r\n5\r\n", "0\r\n\r\n"),
         kDnsCurrent, kCheckingWhois, kConnecting, false},
        {"two lengths", Reply("201 Created", ""), cut("Content-Length: 7\r\nContent-Length: 90\r\n\r\n"), kDnsCurrent,
         kCheckingWhois, kConnecting, false},
        // rdap.json is optional, but a server that answers about it otherwise than 404
        // and leaves it unchanged has failed that check.
        {"500 to rdap", Reply("201 Created", ""), Reply("201 Created", ""), kDnsCurrent, kWhoisCurrent, "", false,
         Reply("500 Internal Server Error", "x"), "V\xE9rification des donn\xE9" "es RDAP"},
        {"rdap without publication", Reply("201 Created", ""), Reply("201 Created", ""), kDnsCurrent, kWhoisCurrent,
         "", false, Reply("202 Accepted", R"({"services": []})"), kInvalid},
        {"rdap 404", Reply("201 Created", ""), Reply("201 Created", ""), kDnsCurrent, kWhoisCurrent, "", false,
         Reply("404 Not Found", "x"), ""},
    };
    for (const auto& c : cases) {
        // Each check on a connection of its own, which the server announces it closes.
        const auto closing = [](std::string reply) {
            const size_t lineEnd = reply.find("\r\n") + 2;
            return reply.insert(lineEnd, "Connection: close\r\n");
        };
        LoopbackServer server(
            [&](size_t index) {
                const std::string& reply = index == 0 ? c.dnsReply : index == 2 && !c.rdapReply.empty() ? c.rdapReply : c.whoisReply;
                return Script().ExpectLine().Send(closing(reply)).Close();
            },
            {});
        Harness h(server);
        h.Updater.IdHTTP.Request.Connection = "close";  // reset away by the checks
        h.Updater.RunChecks();
        EXPECT_EQ(h.Updater.LabelDNS, c.labelDns) << c.name;
        EXPECT_EQ(h.Updater.LabelWhois, c.labelWhois) << c.name;
        EXPECT_EQ(h.Updater.Label1, c.label1) << c.name;
        EXPECT_EQ(h.Dir.Read("dns.dat") != "#d-old\r\n[ac]\r\nserver1=a.nic.ac\r\n", c.dnsChanged) << c.name;
        EXPECT_EQ(h.Dir.Read("whois.dat"), "#w-old\r\nac=whois.nic.ac\r\n") << c.name;
        EXPECT_EQ(server.Received(0).find("Connection:"), std::string::npos) << c.name;
        EXPECT_EQ(h.Updater.IdHTTP.Reply.ContentLength, 0) << c.name;  // reset after the checks
        const bool dnsDone = c.labelDns == kDnsCurrent || c.labelDns == kDnsUpdated;
        // The third request, about rdap.json, got the whois reply too unless the row has
        // one of its own: where that leaves a line other than current or updated, it failed.
        if (!c.rdapReply.empty()) {
            EXPECT_EQ(h.Updater.LabelRdap, c.labelRdap) << c.name;
        }
        const bool rdapFailed = !h.Updater.LabelRdap.empty() && h.Updater.LabelRdap != kRdapCurrent && h.Updater.LabelRdap != kRdapUpdated;
        EXPECT_EQ(h.Updater.FailedChecks, !dnsDone + (c.labelWhois != kWhoisCurrent) + rdapFailed) << c.name;
        // A server that failed both checks is not asked about rdap.json; one that has it
        // current is asked about ipv4.json, ipv6.json and asn.json as well (the whois reply).
        const bool rdapCurrent = h.Updater.LabelRdap == kRdapCurrent;
        EXPECT_EQ(server.ConnectionCount(), !dnsDone && c.labelWhois != kWhoisCurrent ? 2u : rdapCurrent ? 6u : 3u) << c.name;
    }
}

TEST(Checks, UnreachableServerOrFailedWriteIsDroppedSilently)
{
    int32_t port = 0;
    {
        LoopbackServer gone(Script().Close());
        port = gone.Port();
    }
    LoopbackServer placeholder(Script().Close());
    Harness h(placeholder);
    h.Updater.IdHTTP.DefaultPort = port;
    EXPECT_NO_THROW(h.Updater.RunChecks());
    EXPECT_EQ(h.Updater.LabelDNS, kCheckingDns);
    EXPECT_EQ(h.Updater.LabelWhois, kCheckingWhois);
    EXPECT_EQ(h.Updater.Label1, kConnecting);
    EXPECT_EQ(h.Updater.FailedChecks, 2);

    LoopbackServer server(Script()
                              .ExpectBytes(RequestFor("d-old", "dns").size())
                              .Send(Reply("202 Accepted", "#new\r\n"))
                              .ExpectBytes(RequestFor("w-old", "whois").size())
                              .Send(Reply("201 Created", ""))
                              .ExpectBytes(RequestFor("", "rdap").size())
                              .Send(Reply("202 Accepted", R"({"publication": "2027", "services": []})")));
    Harness w(server);
    w.Updater.DataDir = w.Dir.Path() + "gone/";  // neither dns.dat nor rdap.json can be written
    w.Updater.RunChecks();
    EXPECT_EQ(w.Updater.LabelDNS, kDnsUpdating);
    EXPECT_EQ(w.Updater.LabelWhois, kWhoisCurrent);
    EXPECT_EQ(w.Updater.LabelRdap, "Mise \xE0 jour des donn\xE9" "es RDAP.");
    EXPECT_EQ(w.Updater.FailedChecks, 2);
    EXPECT_EQ(w.Dir.Read("dns.dat"), "#d-old\r\n[ac]\r\nserver1=a.nic.ac\r\n");
}

TEST(Checks, HashInTheStampEndsTheRequestTarget)
{
    const std::string request =
        "GET /update-whois.php?date= HTTP/1.1\r\nHost: 127.0.0.1\r\nAccept: text/html, */*\r\n"
        "User-Agent: Mozilla/3.0 (compatible; Norvane Library)\r\n\r\n";
    LoopbackServer server(Script().ExpectBytes(request.size()).Send(Reply("201 Created", "")));
    Harness h(server);
    h.Dir.Write("dns.dat", "x#stamp\r\n");
    h.Updater.ReadStamps();
    ASSERT_EQ(h.Updater.DnsStamp, "#stamp");
    h.Updater.CheckDnsData();
    EXPECT_EQ(server.Received(0), request);
    EXPECT_EQ(h.Updater.LabelDNS, kDnsCurrent);
}

TEST(Checks, SilentServerIsGivenUpAtTheBound)
{
    // Reads each request and never answers.
    LoopbackServer server([](size_t) { return Script().ExpectLine().Stall(); }, {});
    constexpr int32_t bound = 300;
    Harness h(server, bound);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_NO_THROW(h.Updater.RunChecks());
    const auto waited =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GE(waited, 2 * (bound - 5));  // each check waited its bound out, to the clock's few ms
    EXPECT_LT(waited, 2 * bound + 3000);
    EXPECT_EQ(h.Updater.LabelDNS, kCheckingDns);
    EXPECT_EQ(h.Updater.LabelWhois, kCheckingWhois);
    EXPECT_EQ(h.Updater.Label1, kConnecting);
}

}  // namespace
