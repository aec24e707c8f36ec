#include "app/data_folder.h"
#include "runtime/files.h"
#include "update/data_updater.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

bool Exists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

// A scratch folder with an installed tree under <root>/<prefix>: bin/ without data files,
// share/norvane/ with the shipped ones.
class DataFolders : public ::testing::Test {
protected:
    void SetUp() override
    {
        char name[] = "/tmp/norvane-folders-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        Root = std::string(name) + "/";
    }
    void TearDown() override { std::system(("rm -rf '" + Root + "'").c_str()); }

    // Returns the bin/ folder of the tree.
    std::string Install(const std::string& prefix)
    {
        Make(prefix + "bin/");
        Make(prefix + "share/norvane/");
        for (const char* name : {"whois.dat", "dns.dat", "rdap.json", "rdap-local.json", "ipv4.json", "ipv6.json", "asn.json",
                                 "nvHelp.html"})
            WriteFileBytes(Root + prefix + "share/norvane/" + name, std::string("shipped ") + name);
        return Root + prefix + "bin/";
    }
    void Make(const std::string& relative)
    {
        const std::string path = Root + relative;
        std::system(("mkdir -p '" + path + "'").c_str());
    }

    std::string Root;
};

TEST_F(DataFolders, AProgramFolderHoldingWhoisDatKeepsEverythingBesideTheProgram)
{
    const std::string bin = Install("usr/");
    WriteFileBytes(bin + "whois.dat", "#1\r\n");
    const TDataFolders folders = FindDataFolders(bin, Root + "home/.local/share");
    EXPECT_EQ(folders.Data, bin);
    EXPECT_EQ(folders.Help, bin);
    EXPECT_FALSE(Exists(Root + "home")) << "no per-user folder for a program that keeps its data";
}

TEST_F(DataFolders, TheShippedFolderIsFoundBesideTheProgramWhereverThePackageLies)
{
    for (const std::string prefix : {"usr/", "opt/elsewhere/", "extracted/usr/local/"}) {
        const std::string bin = Install(prefix);
        const std::string userHome = Root + "home-" + std::to_string(prefix.size()) + "/.local/share";
        const TDataFolders folders = FindDataFolders(bin, userHome);
        EXPECT_EQ(folders.Help, Root + prefix + "share/norvane/") << prefix;
        EXPECT_EQ(folders.Data, userHome + "/norvane/") << prefix;
        for (const char* name : {"whois.dat", "dns.dat", "rdap.json", "rdap-local.json", "ipv4.json", "ipv6.json", "asn.json"})
            EXPECT_EQ(ReadFileBytes(folders.Data + name), std::string("shipped ") + name) << prefix << name;
        EXPECT_FALSE(Exists(folders.Data + "nvHelp.html")) << "the help stays in the shipped folder";
        struct stat info {};
        ASSERT_EQ(::stat(folders.Data.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0700u) << prefix;
    }
}

TEST_F(DataFolders, APerUserFileIsNeverReplacedAndAMissingOneIsCopiedAgain)
{
    const std::string bin = Install("usr/");
    const std::string userHome = Root + "home/.local/share/";
    const std::string data = FindDataFolders(bin, userHome).Data;
    EXPECT_EQ(data, userHome + "norvane/");
    WriteFileBytes(data + "whois.dat", "#updated\r\n");
    ASSERT_EQ(::unlink((data + "dns.dat").c_str()), 0);
    WriteFileBytes(Root + "usr/share/norvane/whois.dat", "newer shipped whois.dat");

    EXPECT_EQ(FindDataFolders(bin, userHome).Data, data);
    EXPECT_EQ(ReadFileBytes(data + "whois.dat"), "#updated\r\n");
    EXPECT_EQ(ReadFileBytes(data + "dns.dat"), "shipped dns.dat");
}

TEST_F(DataFolders, AnUpgradeWithANewerStampRefreshesThePerUserCopy)
{
    const struct { const char* user; const char* shipped; bool refreshed; const char* file = "dns.dat"; } cases[] = {
        {"#20261201\r\n", "#20261208\r\n", true}, {"#20261208\r\n", "#20261208 \r\n", false}, {"#9\r\n", "#10\r\n", true},
        {"#20261209\r\n", "#20261208\r\n", false}, {"no stamp\r\n", "#1\r\n", true}, {"#1\r\n", "no stamp\r\n", false},
        {R"({"publication": "2025-04-25T22:15:37Z", "services": []})", R"({"publication": "2026-01-01T00:00:00Z", "services": []})", true, "rdap.json"},
        {R"({"publication": "2026-01-01T00:00:00Z", "services": []})", R"({"publication": "2025-04-25T22:15:37Z", "services": []})", false, "rdap.json"},
        {R"({"publication": "2026-06-01 00:00:00Z", "services": []})", R"({"publication": "2025-04-25T22:15:37Z", "services": []})", false, "rdap.json"},
        {R"({"publication": "2025-04-25T22:15:37Z", "services": []})", R"({"publication": "2026-07-27T00:00:00Z", "services": []})", true, "ipv6.json"},
        // The user's own servers: never replaced, stamped or not.
        {R"({"publication": "2025-01-01T00:00:00Z", "services": []})", R"({"publication": "2026-01-01T00:00:00Z", "services": []})", false, "rdap-local.json"},
        {"edited by hand", R"({"publication": "2026-01-01T00:00:00Z", "services": []})", false, "rdap-local.json"},
    };
    const std::string bin = Install("usr/");
    const std::string data = FindDataFolders(bin, Root + "home").Data;
    for (const auto& c : cases) {
        WriteFileBytes(data + c.file, c.user);
        WriteFileBytes(Root + "usr/share/norvane/" + c.file, c.shipped);
        FindDataFolders(bin, Root + "home");
        EXPECT_EQ(ReadFileBytes(data + c.file), c.refreshed ? c.shipped : c.user) << c.user << c.shipped;
    }
}

// An update that lands while a starting program decides on the shipped copy is kept: the
// decision and the replacement wait for the folder's lock, which every replacement takes.
TEST_F(DataFolders, AnUpgradeRefreshNeverUndoesAnUpdateThatCameBetween)
{
    const std::string bin = Install("usr/");
    const std::string data = FindDataFolders(bin, Root + "home").Data;
    WriteFileBytes(Root + "usr/share/norvane/whois.dat", "#2\r\n");
    WriteFileBytes(data + "whois.dat", "#1\r\n");
    const int folder = ::open(data.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(::flock(folder, LOCK_EX), 0);  // an update under way
    const pid_t starting = ::fork();
    // The child's copy of the descriptor would hold the lock as long as it lives.
    if (starting == 0) [&]() noexcept { ::close(folder), FindDataFolders(bin, Root + "home"), ::_exit(0); }();
    ::usleep(300000);
    EXPECT_EQ(ReadFileBytes(data + "whois.dat"), "#1\r\n");  // the start waits
    WriteFileBytes(data + "whois.dat", "#3\r\n");            // for the update's newer file
    ::close(folder);
    int status = 0;
    ASSERT_EQ(::waitpid(starting, &status, 0), starting);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadFileBytes(data + "whois.dat"), "#3\r\n");
}

// Two programs starting together while a third updates: no name ever shows a partial
// file, no side file stays, and the newest data wins.
TEST_F(DataFolders, SeedingAndUpdatingTogetherNeverShowAPartialFile)
{
    const std::string bin = Install("usr/");
    const std::string shipped = "#1\r\n" + std::string(1 << 20, 's'), updated = "#2\r\n" + std::string(1 << 20, 'u') + "\r\n";
    WriteFileBytes(Root + "usr/share/norvane/whois.dat", shipped);
    const auto child = [](auto work) {
        const pid_t pid = ::fork();
        if (pid == 0) [&]() noexcept { work(), ::_exit(0); }();  // a failure aborts the child
        return pid;
    };
    for (int round = 0, failures = 0; round < 25; ++round) {
        const std::string home = Root + "home" + std::to_string(round), data = home + "/norvane/";
        std::vector<pid_t> running = {child([&] { FindDataFolders(bin, home); }), child([&] { FindDataFolders(bin, home); }),
                                      child([&] {
                                          std::filesystem::create_directories(data);
                                          TDataUpdater(data, "").SaveWhoisData(updated);
                                      })};
        while (!running.empty()) {
            const std::string seen = Exists(data + "whois.dat") ? ReadFileBytes(data + "whois.dat") : shipped;
            ASSERT_TRUE(seen == shipped || seen == updated) << "round " << round << ": " << seen.size() << " bytes";
            int status = 0;
            std::erase_if(running, [&](pid_t pid) { return ::waitpid(pid, &status, WNOHANG) == pid && (failures += status != 0, true); });
        }
        EXPECT_EQ(failures, 0) << round;
        EXPECT_EQ(ReadFileBytes(data + "whois.dat"), updated) << round;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(data), {}), 7) << round;  // the seven data files
    }
}

TEST_F(DataFolders, NothingShippedLeavesThePerUserFolderEmptyForTheReaderToReport)
{
    Make("usr/bin/");
    const TDataFolders folders = FindDataFolders(Root + "usr/bin/", Root + "home");
    EXPECT_EQ(folders.Data, Root + "home/norvane/");
    EXPECT_TRUE(Exists(folders.Data));
    EXPECT_FALSE(Exists(folders.Data + "whois.dat"));
}

TEST(UserDataHome, AnAbsoluteXdgDataHomeElseTheHomeFolder)
{
    const struct {
        const char* xdg;
        const char* home;
        const char* expected;
    } cases[] = {
        {"/data/me", "/home/me", "/data/me"},
        {nullptr, "/home/me", "/home/me/.local/share"},
        {"", "/home/me/", "/home/me/.local/share"},
        {"relative/data", "/home/me", "/home/me/.local/share"},  // a relative value is ignored
        {nullptr, nullptr, nullptr},  // the password entry's home
        {nullptr, "relative/me", nullptr},
    };
    const std::string entryHome = ::getpwuid(::getuid())->pw_dir;
    for (const auto& c : cases)
        EXPECT_EQ(UserDataHome(c.xdg, c.home), c.expected ? c.expected : entryHome + "/.local/share")
            << (c.xdg ? c.xdg : "(unset)");
}

}  // namespace
