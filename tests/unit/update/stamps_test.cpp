#include "runtime/exception.h"
#include "tests/unit/update/update_test_support.h"
#include "update/data_stamp.h"
#include "update/data_updater.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

#include <sys/resource.h>
#include <sys/stat.h>

namespace {

using updatetest::TempDir;

TEST(Stamps, FirstLineLessItsFirstCharacterTrimmed)
{
    const struct { std::string text; bool usable; const char* stamp; } cases[] = {
        {"#20261208\r\nac=whois.nic.ac\r\n", true, "20261208"},
        {"# 20261208 \t\r\n", true, "20261208"},
        {"x#stamp\n", true, "#stamp"},      // "#" further on is enough; the first character goes
        {"#\r\n", true, ""},
        {"#only line", true, "only line"},
        {std::string("#ab\0cd\r\n", 8), true, "ab"},
        {"", false, ""},
        {"\r\n#late\r\n", false, ""},
        {"20261208\r\nac=x\r\n", false, ""},
        {std::string("\0#x", 3), false, ""},
    };
    for (const auto& c : cases) {
        std::string stamp = "unchanged";
        EXPECT_EQ(StampOfText(c.text, stamp), c.usable) << c.text;
        EXPECT_EQ(stamp, c.usable ? c.stamp : "unchanged") << c.text;
    }
}

TEST(Stamps, WhoisFileIsExaminedFirstAndStopsTheReading)
{
    const struct { const char* name; const char* whois; const char* dns; bool corrupt; const char* whoisStamp; const char* dnsStamp; } cases[] = {
        {"both sound", "# w1 \r\n", "#d1\r\n", false, "w1", "d1"},
        // dns.dat is absent: reading it would raise, so these prove it is never read.
        {"empty whois.dat", "", nullptr, true, "", ""},
        {"whois.dat without #", "ac=whois.nic.ac\r\n", nullptr, true, "", ""},
        {"dns.dat without #", "#w\r\n", "[ac]\r\n", true, "w", ""},
        {"empty dns.dat", "#w\r\n", "", true, "w", ""},
    };
    for (const auto& c : cases) {
        TempDir dir;
        dir.Write("whois.dat", c.whois);
        if (c.dns != nullptr) dir.Write("dns.dat", c.dns);
        TDataUpdater updater(dir.Path(), "127.0.0.1");
        EXPECT_NO_THROW(updater.ReadStamps()) << c.name;
        EXPECT_EQ(updater.DataCorrupt, c.corrupt) << c.name;
        EXPECT_EQ(updater.WhoisStamp, c.whoisStamp) << c.name;
        EXPECT_EQ(updater.DnsStamp, c.dnsStamp) << c.name;
    }
}

TEST(Stamps, MissingFileRaisesAndLeavesTheUnreadStampsEmpty)
{
    TempDir dir;
    TDataUpdater updater(dir.Path(), "127.0.0.1");
    try {
        updater.ReadStamps();
        ADD_FAILURE();
    } catch (const EFOpenError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file " + dir.Path() + "whois.dat");
    }
    EXPECT_FALSE(updater.DataCorrupt);
    EXPECT_EQ(updater.WhoisStamp + updater.DnsStamp, "");

    dir.Write("whois.dat", "#w\r\n");
    EXPECT_THROW(updater.ReadStamps(), EFOpenError);
    EXPECT_FALSE(updater.DataCorrupt);
    EXPECT_EQ(updater.WhoisStamp, "w");
    EXPECT_EQ(updater.DnsStamp, "");
}

TEST(Saving, EveryLineEndsWithCrLfAndANulEndsTheText)
{
    const struct { std::string body; std::string file; } cases[] = {
        {"#2\nac=x\r\nad=y\rae=z", "#2\r\nac=x\r\nad=y\r\nae=z\r\n"},
        {"#2\r\n", "#2\r\n"},
        {"#2\r\n\r\n\n", "#2\r\n\r\n\r\n"},
        {std::string("#2\r\nkept\0dropped\r\nand this", 26), "#2\r\nkept\r\n"},
        {"#\xE9t\xE9\r\n\x80\x9F", "#\xE9t\xE9\r\n\x80\x9F\r\n"},
        {"", ""},
    };
    for (const auto& c : cases) {
        TempDir dir;
        dir.Write("dns.dat", "#old\r\n");
        dir.Write("whois.dat", "#old\r\n");
        TDataUpdater updater(dir.Path(), "127.0.0.1");
        updater.SaveDnsData(c.body);
        EXPECT_EQ(dir.Read("dns.dat"), c.file) << c.body;
        EXPECT_EQ(dir.Read("whois.dat"), "#old\r\n");
        updater.SaveWhoisData(c.body);
        EXPECT_EQ(dir.Read("whois.dat"), c.file) << c.body;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 2) << "no side file left";
    }
}

TEST(Saving, AFailedWriteLeavesTheOldFileWhole)
{
    TempDir dir;
    dir.Write("dns.dat", "#old\r\nac=x\r\n");
    TDataUpdater updater(dir.Path(), "127.0.0.1");
    // The side file cannot be written whole: writes past 4 bytes fail, even as root.
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    const rlimit limit{4, saved.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    EXPECT_THROW(updater.SaveDnsData("#new\r\n"), EFCreateError);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, handler);
    EXPECT_EQ(dir.Read("dns.dat"), "#old\r\nac=x\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1) << "no side file left";
}

}  // namespace
