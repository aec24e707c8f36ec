#include "net/http/id_http.h"
#include "net/socket/id_exceptions.h"
#include "runtime/files.h"
#include "tests/unit/update/update_test_support.h"
#include "update/data_updater.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

using updatetest::TempDir;
using updatetest::UpdateServerProcess;

namespace {

const std::string kDnsUpdated = "Les donn\xE9" "es DNS ont \xE9t\xE9 mise \xE0 jour.";
const std::string kWhoisUpdated = "Les donn\xE9" "es Whois ont \xE9t\xE9 mise \xE0 jour.";
const std::string kDnsCurrent = "Les donn\xE9" "es DNS n'ont pas besoin d'\xEAtre mise \xE0 jour.";
const std::string kWhoisCurrent = "Les donn\xE9" "es Whois n'ont pas besoin d'\xEAtre mise \xE0 jour.";

// The program's own data files with a newer stamp: what the maker publishes.
std::string Published(const std::string& name, const std::string& stamp)
{
    std::string bytes = ReadFileBytes(std::string(NORVANE_SOURCE_DIR) + "/data/" + name);
    return "#" + stamp + bytes.substr(bytes.find("\r\n"));
}

TDataUpdater& Prepare(TDataUpdater& updater, const UpdateServerProcess& server)
{
    updater.IdHTTP.DefaultPort = server.Port();
    updater.IdHTTP.Limits.ReadTimeout = 5000;
    updater.OnPause = [](int) {};
    updater.ReadStamps();
    return updater;
}

TEST(ReferenceServer, OldStampGets202TheFileIsReplacedTheNextRunGets201)
{
    TempDir published, installed;
    published.Write("dns.dat", Published("dns.dat", "20270101"));
    published.Write("whois.dat", Published("whois.dat", "20270102"));
    const std::string rdap = ReadFileBytes(std::string(NORVANE_SOURCE_DIR) + "/data/rdap.json");
    published.Write("rdap.json", rdap);
    for (const char* name : {"ipv4.json", "ipv6.json", "asn.json"})
        published.Write(name, ReadFileBytes(std::string(NORVANE_SOURCE_DIR) + "/data/" + name));
    installed.Write("dns.dat", ReadFileBytes(std::string(NORVANE_SOURCE_DIR) + "/data/dns.dat"));
    installed.Write("whois.dat", ReadFileBytes(std::string(NORVANE_SOURCE_DIR) + "/data/whois.dat"));
    UpdateServerProcess server(published.Path());

    TDataUpdater first(installed.Path(), "127.0.0.1");
    Prepare(first, server).RunChecks();
    EXPECT_EQ(first.LabelDNS, kDnsUpdated);
    EXPECT_EQ(first.LabelWhois, kWhoisUpdated);
    EXPECT_EQ(installed.Read("dns.dat"), published.Read("dns.dat"));
    EXPECT_EQ(installed.Read("whois.dat"), published.Read("whois.dat"));
    EXPECT_EQ(installed.Read("rdap.json"), rdap);
    for (const char* name : {"ipv4.json", "ipv6.json", "asn.json"}) EXPECT_EQ(installed.Read(name), published.Read(name));

    TDataUpdater second(installed.Path(), "127.0.0.1");
    Prepare(second, server);
    EXPECT_EQ(second.DnsStamp, "20270101");
    EXPECT_EQ(second.WhoisStamp, "20270102");
    second.RunChecks();
    EXPECT_EQ(second.LabelDNS, kDnsCurrent);
    EXPECT_EQ(second.LabelWhois, kWhoisCurrent);
    EXPECT_EQ(second.LabelRdap, "Les donn\xE9" "es RDAP n'ont pas besoin d'\xEAtre mise \xE0 jour.");

    // Each run asked the six questions over one kept connection.
    const std::string log = server.Output();
    for (const char* line : {"\"GET /update-whois.php?date=20261208&name=dns HTTP/1.1\" 202",
                             "\"GET /update-whois.php?date=20261210&name=whois HTTP/1.1\" 202",
                             "\"GET /update-whois.php?date=&name=rdap HTTP/1.1\" 202",
                             "\"GET /update-whois.php?date=2026-07-27T00:00:00Z&name=rdap HTTP/1.1\" 201",
                             "\"GET /update-whois.php?date=20270101&name=dns HTTP/1.1\" 201",
                             "\"GET /update-whois.php?date=20270102&name=whois HTTP/1.1\" 201",
                             "\"GET /update-whois.php?date=&name=asn HTTP/1.1\" 202",
                             "\"GET /update-whois.php?date=2026-07-27T00:00:00Z&name=asn HTTP/1.1\" 201"})
        EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
    std::vector<std::string> peers;
    for (size_t at = 0; (at = log.find("127.0.0.1:", at)) != std::string::npos; at = log.find('\n', at))
        peers.push_back(log.substr(at, log.find(' ', at) - at));
    ASSERT_EQ(peers.size(), 12u) << log;
    EXPECT_EQ(peers[0], peers[5]);
    EXPECT_EQ(peers[6], peers[11]);
    EXPECT_NE(peers[0], peers[6]);

    // A stamp with the RFC 3339 space is kept as written, and sent so that it arrives so.
    const std::string spaced = R"({"publication": "2026-06-01 00:00:00Z", "services": [[["ac"], ["https://r.ac/"]]]})";
    published.Write("rdap.json", spaced);
    for (const char* label : {"Les donn\xE9" "es RDAP ont \xE9t\xE9 mise \xE0 jour.",
                              "Les donn\xE9" "es RDAP n'ont pas besoin d'\xEAtre mise \xE0 jour."}) {
        TDataUpdater next(installed.Path(), "127.0.0.1");
        Prepare(next, server).RunChecks();
        EXPECT_EQ(next.LabelRdap, label);
        EXPECT_EQ(next.FailedChecks, 0);
    }
    EXPECT_EQ(installed.Read("rdap.json"), spaced);
    EXPECT_NE(server.Output().find("\"GET /update-whois.php?date=2026-06-01%2000:00:00Z&name=rdap HTTP/1.1\" 201"),
              std::string::npos) << server.Output();
}

// A raw exchange: the bytes sent, everything until the server closes or 2 s pass.
std::string Exchange(int port, const std::string& bytes)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string reply;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size())) {
        pollfd p{fd, POLLIN, 0};
        char chunk[4096];
        ssize_t n;
        while (::poll(&p, 1, 2000) > 0 && (n = ::recv(fd, chunk, sizeof chunk, 0)) > 0)
            reply.append(chunk, static_cast<size_t>(n));
    }
    ::close(fd);
    return reply;
}

TEST(ReferenceServer, RefusesWhatIsNotAnUpdateQuestion)
{
    TempDir published;
    published.Write("dns.dat", "#s1\r\n[ac]\r\n");
    UpdateServerProcess server(published.Path());

    const struct { const char* target; int32_t code; } cases[] = {
        {"update-whois.php?date=s1&name=whois", 404},  // no such file published
        {"update-whois.php?date=s1&name=other", 404},
        {"elsewhere.php?date=s1&name=dns", 404},
        {"update-whois.php?name=dns", 400},
        {"update-whois.php?date=s1", 400},
        {"update-whois.php", 400},
        {"update-whois.php?date=s1&name=dns", 201},
        {"update-whois.php?date=S1&name=dns", 202},
        {"update-whois.php?name=dns&date=", 202},
    };
    TIdHTTP http;
    http.Host = "127.0.0.1";
    http.DefaultPort = server.Port();
    http.Limits.ReadTimeout = 5000;
    for (const auto& c : cases) {
        try {
            const std::string body = http.GetText(c.target);
            EXPECT_EQ(body, c.code == 202 ? "#s1\r\n[ac]\r\n" : "") << c.target;
        } catch (const EIdProtocolReplyError&) {
        }
        EXPECT_EQ(http.StatusCode, c.code) << c.target;
        EXPECT_TRUE(http.Reply.HasContentLength) << c.target;
        EXPECT_TRUE(http.IsConnected()) << c.target;
    }

    // Malformed requests get 400 and the connection closes.
    for (const char* request : {"garbage\r\n\r\n", "GET /update-whois.php?date=s1&name=dns\r\n\r\n",
                                "GET /x HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n"}) {
        const std::string reply = Exchange(server.Port(), request);
        EXPECT_EQ(reply.rfind("HTTP/1.1 400 Bad Request\r\n", 0), 0u) << request << reply;
        EXPECT_NE(reply.find("Connection: close\r\n"), std::string::npos) << request;
    }
    EXPECT_EQ(Exchange(server.Port(), "POST /update-whois.php?date=s1&name=dns HTTP/1.1\r\nConnection: close\r\n\r\n").substr(0, 12),
              "HTTP/1.1 405");
    // A 1.0 request is answered, then the connection closes.
    const std::string old = Exchange(server.Port(), "GET /update-whois.php?date=s1&name=dns HTTP/1.0\r\n\r\n");
    EXPECT_EQ(old.rfind("HTTP/1.1 201 Created\r\n", 0), 0u) << old;
    EXPECT_NE(old.find("Connection: close"), std::string::npos);
    // A header that never ends is cut off.
    const std::string huge = Exchange(server.Port(), "GET / HTTP/1.1\r\nX: " + std::string(40000, 'a'));
    EXPECT_EQ(huge.rfind("HTTP/1.1 431", 0), 0u);
}

}  // namespace
