#include "platform/network_params.h"
#include "platform/profile.h"
#include "runtime/files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>

namespace {

TEST(Profile, FollowsThePrivateProfileRules)
{
    const std::string text =
        "#stamp\r\nserver1=before-any-section\r\n"
        "[FR]\r\n  Server1  =  192.0.2.53  \r\nserver1=second\r\n"
        "[ uk ]\r\nserver2=x\r\nserver1=192.0.2.44\r\n"
        "[fr]\r\nserver1=later-section\r\n"
        "[empty]\r\nserver1=\r\n"
        "[quoted]\r\na=\"192.0.2.1\"\r\nb= '192.0.2.2' \r\nc=\"192.0.2.3'\r\nd=\"\r\n";
    const struct { const char* section; const char* key; const char* expected; } cases[] = {
        {"fr", "server1", "192.0.2.53"},   // case of section and key ignored, blanks dropped, first match
        {"uk", "SERVER1", "192.0.2.44"},   // blanks inside the brackets dropped
        {"de", "server1", "dflt"},         // missing section
        {"uk", "server3", "dflt"},         // missing key
        {"empty", "server1", ""},          // present but empty is not the default
        {"", "server1", "dflt"},           // lines before the first section belong to none
        {"quoted", "a", "192.0.2.1"},      // matching quotation marks dropped
        {"quoted", "b", "192.0.2.2"},
        {"quoted", "c", "\"192.0.2.3'"},   // marks that do not match stay
        {"quoted", "d", "\""},             // a lone mark stays
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProfileStringFromText(c.section, c.key, "dflt", text), c.expected) << c.section << "/" << c.key;
    EXPECT_EQ(GetPrivateProfileString("fr", "server1", "dflt", "/nonexistent/dns.dat"), "dflt");
}

class NetworkParams : public ::testing::Test {
protected:
    std::string Write(const std::string& text)
    {
        char name[] = "/tmp/norvane-resolv-XXXXXX";
        const int fd = mkstemp(name);
        close(fd);
        WriteFileBytes(name, text);
        files.push_back(name);
        return name;
    }
    void TearDown() override
    {
        for (const auto& f : files) unlink(f.c_str());
    }
    std::vector<std::string> files;
};

TEST_F(NetworkParams, TakesTheFirstNameserverOfEitherFamilyAfterTheTwoCallShape)
{
    const std::string path = Write("# comment\nsearch example.org\nnameserver ::1\nnameserver\t192.0.2.1\nnameserver 192.0.2.2\n");
    uint32_t size = 0;
    EXPECT_EQ(GetNetworkParams(nullptr, &size, path), kErrorBufferOverflow);
    EXPECT_EQ(size, sizeof(FixedInfo));
    FixedInfo info{};
    EXPECT_EQ(GetNetworkParams(&info, &size, path), 0u);
    EXPECT_STREQ(info.DnsServerIpAddress, "::1");

    // Text after the address, a comment or another word, is not part of it.
    const struct { const char* line; const char* expected; } cases[] = {
        {"nameserver 192.0.2.3 # office\n", "192.0.2.3"},
        {"nameserver 192.0.2.4;backup\n", "192.0.2.4"},
        {"nameserver\t192.0.2.5\tlater\n", "192.0.2.5"},
        {"nameserver #192.0.2.6\nnameserver 192.0.2.7\n", "192.0.2.7"},
        {"nameserver fe80::1%eth0 # link\n", "fe80::1%eth0"},
        {"nameserver 2001:db8::zz\nnameserver fe80::1%\nnameserver 2001:db8::53\n", "2001:db8::53"},
    };
    for (const auto& c : cases) {
        FixedInfo one{};
        uint32_t oneSize = sizeof one;
        EXPECT_EQ(GetNetworkParams(&one, &oneSize, Write(c.line)), 0u);
        EXPECT_STREQ(one.DnsServerIpAddress, c.expected) << c.line;
    }
}

TEST_F(NetworkParams, ReportsAnUnreadableConfigurationAndAnEmptyList)
{
    FixedInfo info{};
    uint32_t size = sizeof info;
    EXPECT_NE(GetNetworkParams(&info, &size, "/nonexistent/resolv.conf"), 0u);
    const std::string path = Write("nameservers 192.0.2.9\nnameserver not-an-address\n");
    EXPECT_EQ(GetNetworkParams(&info, &size, path), 0u);
    EXPECT_STREQ(info.DnsServerIpAddress, "");
}

}  // namespace
