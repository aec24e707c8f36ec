#include "app/lookup_driver.h"
#include "net/socket/id_exceptions.h"
#include "rdap/bootstrap.h"
#include "runtime/exception.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Log = std::vector<std::string>;

// A window that writes down every call the driver makes, in order.
class RecordingWindow : public ILookupWindow {
public:
    std::string Name = "example.fr";
    bool Whois = true;
    bool Dns = true;
    TCursor Cursor = TCursor::crDefault;
    std::function<void()> HostStep = [] {};
    std::function<void()> DnsStep = [] {};
    std::function<std::string()> WhoisStep = [] { return std::string("REPLY"); };
    std::function<std::string()> ByHandStep = [] { return std::string("BY HAND"); };
    std::function<std::string()> RdapStep = [] { return std::string("RDAP"); };
    bool RdapFirst = false;
    Log Calls;

    std::string NameText() const override { return Name; }
    bool WhoisChecked() const override { return Whois; }
    bool DnsChecked() const override { return Dns; }
    TCursor ScreenCursor() const override { return Cursor; }
    void SetScreenCursor(TCursor cursor) override
    {
        Cursor = cursor;
        Calls.push_back(cursor == TCursor::crHourGlass ? "cursor hourglass" : "cursor default");
    }
    void SetStageText(const std::string& text) override { Calls.push_back("stage " + text); }
    void RepaintStatusBar() override { Calls.push_back("repaint"); }
    void SetProgressPosition(int position) override { Calls.push_back("progress " + std::to_string(position)); }
    void ClearMemo() override { Calls.push_back("clear memo"); }
    void SetMemoText(const std::string& text) override { Calls.push_back("memo " + text); }
    void ClearTree() override { Calls.push_back("clear tree"); }
    void BeginTreeUpdate() override { Calls.push_back("begin"); }
    void EndTreeUpdate() override { Calls.push_back("end"); }
    void ShowError(const std::string& message) override { Calls.push_back("error " + message); }
    void ShowHostInfo(const std::string& name) override
    {
        Calls.push_back("host " + name);
        HostStep();
    }
    void ShowDnsRecords(const std::string& name) override
    {
        Calls.push_back("dns " + name);
        DnsStep();
    }
    std::string QueryWhois(const std::string& host, const std::string& queryTemplate, int port,
                           const std::string& name) override
    {
        Calls.push_back("whois " + host + " [" + queryTemplate + "] " + std::to_string(port) + " " + name);
        return WhoisStep();
    }
    std::string QueryWhoisByHand(const std::string& name) override
    {
        Calls.push_back("whois by hand " + name);
        return ByHandStep();
    }
    bool RdapFirstChecked() const override { return RdapFirst; }
    std::string QueryRdap(const std::string& base, const std::string& name) override
    {
        Calls.push_back("rdap " + base + " " + name);
        return RdapStep();
    }
};

const std::string Resolving = "R\xE9solution de l'URL";
const std::string AskingDns = "Int\xE9rogation du serveur DNS";
const std::string AskingWhois = "Int\xE9rogation du serveur Whois";

// The three calls of one stage change, in the order the status bar must see them.
Log Stage(const std::string& text, int position) { return {"stage " + text, "repaint", "progress " + std::to_string(position)}; }

Log Join(std::initializer_list<Log> parts)
{
    Log all;
    for (const Log& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

class LookupDriver : public ::testing::Test {
protected:
    LookupDriver()
    {
        FServers.SetText("#1\r\nfr=whois.fr.example\r\nnet=whois.net.example\r\n"
                         "@whois.net.example=-T dn $T$\r\np@whois.net.example=4343\r\n"
                         "de=whois.de.example\r\njp=whois.jp.example\r\nxn--zckzah=whois.net.example\r\n");
    }
    void Run() { TLookupDriver(FWindow, FServers).Button1Click(); }

    TWhoisServers FServers;
    RecordingWindow FWindow;
};

TEST_F(LookupDriver, WhoisAndDnsRunsHostThenRecordsThenWhois)
{
    FWindow.Name = " \tExample.FR  ";
    Run();
    EXPECT_EQ(FWindow.Calls, Join({{"cursor hourglass", "clear memo", "clear tree"},
                                   Stage("", 0),
                                   {"begin"}, Stage(Resolving, 0), {"host Example.FR", "end"},
                                   Stage(AskingDns, 33), {"begin", "dns Example.FR", "end"},
                                   Stage(AskingWhois, 66),
                                   {"whois whois.fr.example [] 43 Example.FR", "memo REPLY", "cursor default"},
                                   Stage("", 0)}));
}

TEST_F(LookupDriver, DnsOnlyKeepsTheWhoisPage)
{
    FWindow.Whois = false;
    Run();
    EXPECT_EQ(FWindow.Calls, Join({{"cursor hourglass", "clear tree"},
                                   Stage("", 0),
                                   {"begin"}, Stage(Resolving, 33), {"host example.fr", "end"},
                                   Stage(AskingDns, 66), {"begin", "dns example.fr", "end"},
                                   Stage("", 0),
                                   {"cursor default"}}));
}

TEST_F(LookupDriver, WhoisOnlyKeepsTheTreeAndPassesTemplateAndPort)
{
    FWindow.Dns = false;
    FWindow.Name = "ns.Example.net ";
    Run();
    EXPECT_EQ(FWindow.Calls, Join({{"cursor hourglass", "clear memo"},
                                   Stage("", 0),
                                   Stage(AskingWhois, 0),
                                   {"whois whois.net.example [-T dn $T$] 4343 ns.Example.net", "memo REPLY",
                                    "cursor default"},
                                   Stage("", 0)}));
}

TEST_F(LookupDriver, ValidationRunsWhateverTheBoxesAndStopsEverything)
{
    const struct {
        const char* name;
        const char* message;  // nullptr: accepted
    } names[] = {
        {"", "Adresse invalide!"},
        {"localhost", "Adresse invalide!"},
        {"EXAMPLE.XYZ", "L'extention .xyz n'est pas support\xE9" "e!"},
        {"example.fr", nullptr},
    };
    for (const auto& n : names)
        for (const bool whois : {false, true})
            for (const bool dns : {false, true}) {
                if (n.message == nullptr && (whois || dns)) continue;  // the paths have their own tests
                FWindow.Calls.clear();
                FWindow.Name = n.name;
                FWindow.Whois = whois;
                FWindow.Dns = dns;
                Run();
                const Log expected = n.message ? Log{std::string("error ") + n.message} : Log{};
                EXPECT_EQ(FWindow.Calls, expected) << n.name << " whois=" << whois << " dns=" << dns;
            }
}

TEST_F(LookupDriver, WhoisFailureRestoresCursorShowsMessageAndResetsStage)
{
    FWindow.WhoisStep = []() -> std::string { throw Exception("Socket Error # 10061\r\nConnection refused."); };
    for (const bool dns : {true, false}) {
        FWindow.Calls.clear();
        FWindow.Dns = dns;
        Run();
        const Log tail = Join({{"whois whois.fr.example [] 43 example.fr", "cursor default",
                                "error Socket Error # 10061\r\nConnection refused."},
                               Stage("", 0)});
        ASSERT_GE(FWindow.Calls.size(), tail.size());
        EXPECT_EQ(Log(FWindow.Calls.end() - static_cast<long>(tail.size()), FWindow.Calls.end()), tail) << dns;
        for (const std::string& call : FWindow.Calls) EXPECT_NE(call.rfind("memo", 0), 0u) << call;
        EXPECT_EQ(FWindow.Cursor, TCursor::crDefault);
    }
}

TEST_F(LookupDriver, RestoresTheCursorThatWasThereBefore)
{
    FWindow.Cursor = TCursor::crHourGlass;
    for (const bool whois : {true, false}) {
        FWindow.Calls.clear();
        FWindow.Whois = whois;
        Run();
        ASSERT_FALSE(FWindow.Calls.empty());
        const std::string restore = whois ? FWindow.Calls[FWindow.Calls.size() - 4] : FWindow.Calls.back();
        EXPECT_EQ(restore, "cursor hourglass");
        EXPECT_EQ(FWindow.Cursor, TCursor::crHourGlass);
    }
}

TEST_F(LookupDriver, ExceptionFromADnsStepClosesTheBracketRestoresTheCursorAndPropagates)
{
    struct Case {
        bool whois;
        bool failInHost;
        Log before;  // what ran before the failure, from the first bracket on
    };
    const Case cases[] = {
        {true, true, Join({{"begin"}, Stage(Resolving, 0), {"host example.fr", "end"}})},
        {true, false, Join({{"begin"}, Stage(Resolving, 0), {"host example.fr", "end"}, Stage(AskingDns, 33),
                            {"begin", "dns example.fr", "end"}})},
        {false, true, Join({{"begin"}, Stage(Resolving, 33), {"host example.fr", "end"}})},
        {false, false, Join({{"begin"}, Stage(Resolving, 33), {"host example.fr", "end"}, Stage(AskingDns, 66),
                             {"begin", "dns example.fr", "end"}})},
    };
    for (const Case& c : cases) {
        RecordingWindow window;
        window.Whois = c.whois;
        (c.failInHost ? window.HostStep : window.DnsStep) = [] { throw std::runtime_error("step failed"); };
        TLookupDriver driver(window, FServers);
        EXPECT_THROW(driver.Button1Click(), std::runtime_error);
        const Log start = Join({c.whois ? Log{"cursor hourglass", "clear memo", "clear tree"}
                                        : Log{"cursor hourglass", "clear tree"},
                                Stage("", 0)});
        // The cursor comes back all the same: the next lookup must not take the hourglass
        // for the cursor that was there before.
        EXPECT_EQ(window.Calls, Join({start, c.before, {"cursor default"}})) << c.whois << c.failInHost;
    }
}

TEST_F(LookupDriver, WhoisByHandSkipsValidationAndKeepsTheTree)
{
    FWindow.Name = "";  // not validated
    TLookupDriver driver(FWindow, FServers);
    driver.SpeedButton3Click();
    EXPECT_EQ(FWindow.Calls, Join({Stage("", 0), {"cursor hourglass", "clear memo", "whois by hand ", "memo BY HAND",
                                                  "cursor default"}}));

    FWindow.Calls.clear();
    FWindow.ByHandStep = []() -> std::string { throw Exception("Read timed out."); };
    driver.SpeedButton3Click();
    EXPECT_EQ(FWindow.Calls, Join({Stage("", 0), {"cursor hourglass", "clear memo", "whois by hand ",
                                                  "cursor default", "error Read timed out."}}));
}

TEST_F(LookupDriver, NamesGoOutInTheirAsciiFormAndNeverWithAControlCharacter)
{
    const std::string longLabel(60, 'a'), longQuery = longLabel + "\xE9.fr";
    const struct {
        std::string typed;   // UTF-8
        const char* name;    // what every step of a lookup gets; nullptr: refused
        const char* whois;   // server, template and port from the catalogue
        const char* byHand;  // the query typed by hand; nullptr: refused
    } cases[] = {
        {"Stra\u00DFe.de", "xn--strae-oqa.de", "whois.de.example [] 43", "xn--strae-oqa.de"},
        {" Caf\u00E9.FR\t", "xn--caf-dma.fr", "whois.fr.example [] 43", "xn--caf-dma.fr"},
        {"\u4F8B\u3048.jp", "xn--r8jz45g.jp", "whois.jp.example [] 43", "xn--r8jz45g.jp"},
        {"\u4F8B\u3048.\u30C6\u30B9\u30C8", "xn--r8jz45g.xn--zckzah", "whois.net.example [-T dn $T$] 4343",
         "xn--r8jz45g.xn--zckzah"},
        // ASCII names as typed, byte for byte, even where the conversion would change them.
        {"Example.FR", "Example.FR", "whois.fr.example [] 43", "Example.FR"},
        {"_a!b.XN--CAF-DMA.fr", "_a!b.XN--CAF-DMA.fr", "whois.fr.example [] 43", "_a!b.XN--CAF-DMA.fr"},
        {"not a name!..fr", "not a name!..fr", "whois.fr.example [] 43", "not a name!..fr"},
        {"example.fr\u00A0", "example.fr", "whois.fr.example [] 43", "example.fr"},  // pasted, trimmed once converted
        // Not a domain name: refused for a lookup, a free-text query by hand.
        {"a\u2603.fr", nullptr, nullptr, "a?.fr"},
        {longLabel + "\u00E9.fr", nullptr, nullptr, longQuery.c_str()},
        {"caf\xE9.fr", nullptr, nullptr, "caf\xE9.fr"},  // not UTF-8: its bytes as they are
        {"Soci\u00E9t\u00E9 G\u00E9n\u00E9rale", nullptr, nullptr, "Soci\xE9t\xE9 G\xE9n\xE9rale"},
        // A control character would let the name carry a second query line.
        {"example.fr\r\nQUIT", nullptr, nullptr, nullptr},
        {"exa\tmple.fr", nullptr, nullptr, nullptr},
        {std::string("exa\0mple.fr", 11), nullptr, nullptr, nullptr},
        {"exa\x7Fmple.fr", nullptr, nullptr, nullptr},
    };
    // What reached the steps of a lookup, or the whole record when the name was refused.
    auto run = [this](void (TLookupDriver::*entry)()) {
        FWindow.Calls.clear();
        (TLookupDriver(FWindow, FServers).*entry)();
        if (FWindow.Calls == Log{"error Adresse invalide!"}) return FWindow.Calls;
        Log steps;
        for (const std::string& call : FWindow.Calls)
            if (call.rfind("host ", 0) == 0 || call.rfind("dns ", 0) == 0 || call.rfind("whois ", 0) == 0)
                steps.push_back(call);
        return steps;
    };
    for (const auto& c : cases) {
        FWindow.Name = c.typed;
        const std::string name = c.name ? c.name : "";
        const Log refused{"error Adresse invalide!"};
        const Log lookup = c.name ? Log{"host " + name, "dns " + name, std::string("whois ") + c.whois + " " + name}
                                  : refused;
        const Log byHand = c.byHand ? Log{std::string("whois by hand ") + c.byHand} : refused;
        EXPECT_EQ(run(&TLookupDriver::Button1Click), lookup) << c.typed;
        EXPECT_EQ(run(&TLookupDriver::SpeedButton3Click), byHand) << c.typed;
    }
}

// A status bar that keeps what it shows.
struct StatusBar : IStageDisplay {
    Log Calls;
    void SetStageText(const std::string& text) override { Calls.push_back("stage " + text); }
    void RepaintStatusBar() override { Calls.push_back("repaint"); }
    void SetProgressPosition(int position) override { Calls.push_back("progress " + std::to_string(position)); }
};

TEST(Stages, TextRepaintThenPositionAndNothingOutsideTheTable)
{
    const struct {
        int stage;
        Log calls;
    } cases[] = {
        {0, Stage("", 0)},          {1, Stage(Resolving, 0)},   {2, Stage(AskingDns, 33)},
        {3, Stage(AskingWhois, 66)}, {4, Stage(Resolving, 33)}, {5, Stage(AskingDns, 66)},
        {6, Stage(AskingWhois, 0)},  {7, {}},                   {-1, {}},
    };
    for (const auto& c : cases) {
        StatusBar bar;
        SetStage(bar, c.stage);
        EXPECT_EQ(bar.Calls, c.calls) << c.stage;
    }
}

}  // namespace

// Where RDAP takes the whois stage: what the whois server does, whether the extension has
// an RDAP server, whether RDAP comes first; the calls from the whois query on.
TEST(LookupDriverRdap, AskedWhereWhoisCannotAnswerOrFirstWhenChecked)
{
    TWhoisServers servers;
    servers.SetText("#1\r\nfr=whois.fr.example\r\nde=whois.de.example\r\n");
    TRdapBootstrap rdap;
    rdap.Load(R"({"services": [[["fr", "neuf"], ["https://rdap.fr.example/"]]]})");
    const std::string fallback = "Le serveur Whois whois.fr.example ne r\xC3\xA9pond pas (";
    const std::string below = ") : r\xC3\xA9ponse RDAP ci-dessous.\r\n\r\n";
    const std::function<std::string()> noAddress = []() -> std::string { throw EIdSocketError(11001, "Socket Error # 11001\r\n"); };
    const std::function<std::string()> refused = []() -> std::string { throw EIdSocketError(10061, "Socket Error # 10061\r\nConnection refused."); };
    const std::function<std::string()> timedOut = []() -> std::string { throw EIdReadTimeout(); };
    const std::function<std::string()> tooLarge = []() -> std::string { throw EIdReplyTooLarge(); };
    const std::function<std::string()> silent = [] { return std::string(); };
    const std::function<std::string()> rdapFails = []() -> std::string { throw Exception("RDAP failed."); };
    const struct {
        const char* name;
        std::function<std::string()> whois;
        bool first;
        std::function<std::string()> rdapStep;
        Log calls;
    } cases[] = {
        {"a.fr", nullptr, false, nullptr, {"whois whois.fr.example [] 43 a.fr", "memo REPLY"}},
        {"a.fr", noAddress, false, nullptr,
         {"whois whois.fr.example [] 43 a.fr", "rdap https://rdap.fr.example/ a.fr",
          "memo " + fallback + "Socket Error # 11001" + below + "RDAP"}},
        {"a.fr", timedOut, false, nullptr,
         {"whois whois.fr.example [] 43 a.fr", "rdap https://rdap.fr.example/ a.fr",
          "memo " + fallback + "Read timed out." + below + "RDAP"}},
        {"a.fr", silent, false, nullptr,
         {"whois whois.fr.example [] 43 a.fr", "rdap https://rdap.fr.example/ a.fr",
          "memo " + fallback + "connexion ferm\xC3\xA9" "e sans r\xC3\xA9ponse" + below + "RDAP"}},
        {"a.fr", tooLarge, false, nullptr, {"whois whois.fr.example [] 43 a.fr", "cursor default", "error Reply too large."}},
        {"a.fr", refused, false, rdapFails,
         {"whois whois.fr.example [] 43 a.fr", "rdap https://rdap.fr.example/ a.fr",
          "memo " + fallback + "Socket Error # 10061 Connection refused." + below, "cursor default",
          "error RDAP failed."}},
        {"a.de", noAddress, false, nullptr, {"whois whois.de.example [] 43 a.de", "cursor default", "error Socket Error # 11001\r\n"}},
        {"a.de", silent, true, nullptr, {"whois whois.de.example [] 43 a.de", "memo "}},
        {"a.fr", nullptr, true, nullptr, {"rdap https://rdap.fr.example/ a.fr", "memo RDAP"}},
        {"a.NEUF", nullptr, false, nullptr, {"rdap https://rdap.fr.example/ a.NEUF", "memo RDAP"}},
    };
    for (const auto& c : cases) {
        RecordingWindow window;
        window.Dns = false;
        window.Name = c.name;
        if (c.whois) window.WhoisStep = c.whois;
        if (c.rdapStep) window.RdapStep = c.rdapStep;
        window.RdapFirst = c.first;
        TLookupDriver(window, servers, &rdap).Button1Click();
        Log calls;
        for (const std::string& call : window.Calls)
            if (call.rfind("whois", 0) == 0 || call.rfind("rdap", 0) == 0 || !calls.empty())
                if (call.rfind("stage", 0) != 0 && call != "repaint" && call.rfind("progress", 0) != 0) calls.push_back(call);
        if (!calls.empty() && calls.back() == "cursor default" && c.calls.back().rfind("error", 0) != 0) calls.pop_back();
        EXPECT_EQ(calls, c.calls) << c.name << " first=" << c.first;
    }
}
