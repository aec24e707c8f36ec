// The computer's DNS server read the way the platform wants it, and the server chosen
// for a domain from the first answer or from dns.dat.
#include "dns/dns_servers.h"
#include "net/dns/id_dns_record_types.h"
#include "net/dns/id_dns_resource.h"
#include "runtime/files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

class TempDir {
public:
    TempDir()
    {
        char name[] = "/tmp/norvane-dns-XXXXXX";
        FPath = std::string(mkdtemp(name)) + "/";
    }
    ~TempDir() { std::system(("rm -rf '" + FPath + "'").c_str()); }
    const std::string& Path() const { return FPath; }

private:
    std::string FPath;
};

// Records of the given types, each with the given domain name ("" for none).
TIdDNSResourceList Answers(std::initializer_list<std::pair<uint16_t, const char*>> records)
{
    TIdDNSResourceList list;
    for (const auto& [type, name] : records) {
        TIdDNSResourceItem& item = list.Add();
        item.RecordType = type;
        item.RData.DomainName = name;
    }
    return list;
}

const char* const DnsDat = "#20261201\r\n[fr]\r\nserver1=192.0.2.53\r\n[co]\r\nserver1=192.0.2.99\r\n"
                           "[uk]\r\nserver1=192.0.2.44\r\n[localhost]\r\nserver1=192.0.2.77\r\n";

TEST(SelectDnsServer, FirstAnswerWithANameWins)
{
    TempDir dir;
    WriteFileBytes(dir.Path() + "dns.dat", DnsDat);
    const struct {
        TIdDNSResourceList answers;
        const char* expected;
    } cases[] = {
        {Answers({{TypeA, ""}, {TypeNS, "ns1.example.fr"}, {TypeNS, "ns2.example.fr"}}), "ns1.example.fr"},
        {Answers({{TypeCNAME, "target.example.net"}, {TypeNS, "ns1.example.fr"}}), "target.example.net"},
        {Answers({{TypeSOA, ""}, {TypeMX, ""}, {TypePTR, "ptr.example.fr"}}), "ptr.example.fr"},
    };
    for (const auto& c : cases) EXPECT_EQ(SelectDnsServer(c.answers, "example.fr", dir.Path()), c.expected);
}

TEST(SelectDnsServer, WithoutANameTheTopLevelDomainsServerOfDnsDat)
{
    TempDir dir;
    WriteFileBytes(dir.Path() + "dns.dat", DnsDat);
    const TIdDNSResourceList noName = Answers({{TypeA, ""}, {TypeMX, ""}});
    const struct {
        const char* domain;
        const char* expected;
    } cases[] = {
        {"Example.FR", "192.0.2.53"},
        {"sub.example.co.uk", "192.0.2.44"},  // the last label, not "co"
        {"example.de", ""},                   // no such section
        {"localhost", ""},                    // no "." at all: the file is not read
        {"example.", ""},                     // an empty top-level domain names no section
    };
    for (const auto& c : cases) EXPECT_EQ(SelectDnsServer(noName, c.domain, dir.Path()), c.expected) << c.domain;
    EXPECT_EQ(SelectDnsServer(TIdDNSResourceList(), "example.fr", dir.Path()), "192.0.2.53");
}

TEST(SelectDnsServer, ReadsDnsDatAfreshEachTime)
{
    TempDir dir;
    const TIdDNSResourceList none;
    EXPECT_EQ(SelectDnsServer(none, "example.fr", dir.Path()), "");  // no file yet
    WriteFileBytes(dir.Path() + "dns.dat", "#1\r\n[fr]\r\nserver1=192.0.2.1\r\n");
    EXPECT_EQ(SelectDnsServer(none, "example.fr", dir.Path()), "192.0.2.1");
    WriteFileBytes(dir.Path() + "dns.dat", "#2\r\n[FR]\r\nSERVER1 = 192.0.2.2\r\n");
    EXPECT_EQ(SelectDnsServer(none, "example.fr", dir.Path()), "192.0.2.2");
}

// Messages the default server reports, with the platform call replaced.
class DefaultServer : public ::testing::Test {
protected:
    std::vector<std::string> Messages;
    TErrorReporter Report = [this](const std::string& message) { Messages.push_back(message); };
};

TEST_F(DefaultServer, FirstServerOfTheResolverConfiguration)
{
    TempDir dir;
    WriteFileBytes(dir.Path() + "resolv.conf",
                   "# two servers\nsearch example.org\nnameserver 192.0.2.53\nnameserver 192.0.2.54\n");
    EXPECT_EQ(LoadDefaultDnsServer(Report, dir.Path() + "resolv.conf"), "192.0.2.53");
    EXPECT_TRUE(Messages.empty());
}

TEST_F(DefaultServer, UnreadableConfigurationShowsTheCode)
{
    EXPECT_EQ(LoadDefaultDnsServer(Report, std::string("/nonexistent/resolv.conf")), "");
    EXPECT_EQ(Messages, std::vector<std::string>{"Echec de GetNetworkParams, code erreur n\xB0 00000002\n"});
}

TEST_F(DefaultServer, CallsTwiceWithTheSizeThePlatformAsksFor)
{
    struct Call {
        uint32_t SizeGiven;
        bool Zeroed;
    };
    std::vector<Call> calls;
    const auto platform = [&](FixedInfo* info, uint32_t* size) -> uint32_t {
        const auto* bytes = reinterpret_cast<const unsigned char*>(info);
        bool zeroed = info != nullptr;
        for (uint32_t i = 0; zeroed && i < *size; ++i) zeroed = bytes[i] == 0;
        calls.push_back({*size, zeroed});
        if (*size < 2000) {
            *size = 2000;
            return kErrorBufferOverflow;
        }
        std::memcpy(info->DnsServerIpAddress, "192.0.2.10", 11);
        return 0;
    };
    EXPECT_EQ(LoadDefaultDnsServer(Report, platform), "192.0.2.10");
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].SizeGiven, 584u);
    EXPECT_TRUE(calls[0].Zeroed);
    EXPECT_EQ(calls[1].SizeGiven, 2000u);
    EXPECT_TRUE(calls[1].Zeroed);
    EXPECT_TRUE(Messages.empty());
}

TEST_F(DefaultServer, FailuresOfTheSecondCallAndOfTheAllocation)
{
    const struct {
        uint32_t firstCode;
        uint32_t sizeAsked;
        uint32_t secondCode;
        size_t callsExpected;
        const char* message;
    } cases[] = {
        // The first call fits; the second is made all the same and its code reported.
        {0, 584, 0xDEADBEEF, 2, "Echec de GetNetworkParams, code erreur n\xB0 deadbeef\n"},
        {kErrorBufferOverflow, 4096, 5, 2, "Echec de GetNetworkParams, code erreur n\xB0 00000005\n"},
        {kErrorBufferOverflow, 0xFFFFFFFF, 0, 1, "Erreur d'allocation m\xE9moire pour FIXED_INFO"},
    };
    for (const auto& c : cases) {
        Messages.clear();
        size_t calls = 0;
        const auto platform = [&](FixedInfo* info, uint32_t* size) -> uint32_t {
            if (++calls == 1) {
                *size = c.sizeAsked;
                return c.firstCode;
            }
            std::memcpy(info->DnsServerIpAddress, "192.0.2.10", 11);
            return c.secondCode;
        };
        EXPECT_EQ(LoadDefaultDnsServer(Report, platform), "");
        EXPECT_EQ(calls, c.callsExpected);
        EXPECT_EQ(Messages, std::vector<std::string>{c.message});
    }
}

}  // namespace
