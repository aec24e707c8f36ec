// The host branch and the IP resolver over a resolver double.
#include "dns/host_info.h"
#include "dns/ip_resolver.h"
#include "fake_host_resolver.h"
#include "recording_tree.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

const std::string Root = "R\xE9ponse du DNS par d\xE9" "faut";
const std::string HostNotFound = "l'h\xF4te n'a pas \xE9t\xE9 trouv\xE9...";
const std::string ReverseHostNotFound = "H\xF4te n'a pas \xE9t\xE9 trouv\xE9...";
const std::string NoRecord = "Aucun enregistrement trouv\xE9...";
const std::string Failed = "Echec de la fonction...";

TEST(HostForms, ShortAndLong)
{
    const struct {
        const char* name;
        const char* shortForm;
        const char* longForm;
    } cases[] = {
        {"example.org", "example.org", "www.example.org"},
        {"WWW.Example.org", "Example.org", "WWW.Example.org"},
        {"wWw.x.fr", "x.fr", "wWw.x.fr"},
        {"www.", "", "www."},
        {"wwwx.fr", "wwwx.fr", "www.wwwx.fr"},
        {"", "", "www."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ShortHostForm(c.name), c.shortForm) << c.name;
        EXPECT_EQ(LongHostForm(c.name), c.longForm) << c.name;
    }
}

TEST(HostBranch, FoundWithAliasesAndThreeAddresses)
{
    FakeHostResolver resolver;
    resolver.Names["example.org"] = {"web.example.org",
                                     {"example.org", "alias.example.org"},
                                     {{{192, 0, 2, 10}}, {{192, 0, 2, 11}}, {{192, 0, 2, 12}}}};
    resolver.Reverse["192.0.2.10"] = "host10.example.org";
    resolver.ReverseErrors["192.0.2.11"] = winsock::WSANO_DATA;
    resolver.ReverseErrors["192.0.2.12"] = winsock::WSAHOST_NOT_FOUND;
    RecordingTree tree;
    TTreeNode* root = nullptr;

    EXPECT_TRUE(ShowHostInfo(resolver, tree, "WWW.example.org", root));

    ASSERT_EQ(tree.Top.size(), 1u);
    EXPECT_EQ(root, tree.Top[0].get());
    // The reverse lookups overwrite the result area; everything shown comes from the copy.
    EXPECT_EQ(tree.Lines(), (Lines{
                                Root + " [0/0 0] +",
                                "  Nom officiel [0/0 0]",
                                "    web.example.org [2/2 1]",
                                "  Nom en alias [0/0 0]",
                                "    example.org [2/2 1]",
                                "    alias.example.org [2/2 1]",
                                "  Adresse IP [0/0 0]",
                                "    192.0.2.10 [2/2 1]",
                                "    192.0.2.11 [2/2 1]",
                                "    192.0.2.12 [2/2 1]",
                                "  192.0.2.10 [0/0 0]",
                                "    host10.example.org [2/2 1]",
                                "  192.0.2.11 [0/0 0]",
                                "    " + NoRecord + " [2/2 2]",
                                "  192.0.2.12 [0/0 0]",
                                "    " + ReverseHostNotFound + " [2/2 2]",
                            }));
    EXPECT_EQ(resolver.Calls, (Lines{"name example.org", "addr 192.0.2.10 4 2", "addr 192.0.2.11 4 2",
                                     "addr 192.0.2.12 4 2"}));
}

TEST(HostBranch, TheWwwFormWhenTheShortFormHasNoAddress)
{
    FakeHostResolver resolver;
    resolver.NameErrors["mail-only.example"] = winsock::WSANO_DATA;
    resolver.Names["www.mail-only.example"] = {"www.mail-only.example", {}, {{{192, 0, 2, 20}}}};
    resolver.Reverse["192.0.2.20"] = "www.mail-only.example";
    RecordingTree tree;
    TTreeNode* root = nullptr;
    EXPECT_TRUE(ShowHostInfo(resolver, tree, "mail-only.example", root));
    EXPECT_EQ(resolver.Calls, (Lines{"name mail-only.example", "name www.mail-only.example", "addr 192.0.2.20 4 2"}));
    EXPECT_EQ(tree.Lines(), (Lines{Root + " [0/0 0] +", "  Nom officiel [0/0 0]", "    www.mail-only.example [2/2 1]",
                                   "  Nom en alias [0/0 0]", "  Adresse IP [0/0 0]", "    192.0.2.20 [2/2 1]",
                                   "  192.0.2.20 [0/0 0]", "    www.mail-only.example [2/2 1]"}));
}

TEST(HostBranch, IPv6AddressesFollowTheIPv4OnesOrStandAlone)
{
    const Lines dual = {Root + " [0/0 0] +", "  Nom officiel [0/0 0]", "    dual.example [2/2 1]",
                        "  Nom en alias [0/0 0]", "  Adresse IP [0/0 0]", "    192.0.2.10 [2/2 1]",
                        "    2001:db8::10 [2/2 1]", "    fe80::1 [2/2 1]", "  192.0.2.10 [0/0 0]",
                        "    ten.example [2/2 1]", "  2001:db8::10 [0/0 0]", "    six.example [2/2 1]",
                        "  fe80::1 [0/0 0]", "    " + NoRecord + " [2/2 2]"};
    const Lines sixOnly = {Root + " [0/0 0] +", "  Nom officiel [0/0 0]", "    six.example [2/2 1]",
                           "  Nom en alias [0/0 0]", "    v6.example [2/2 1]", "  Adresse IP [0/0 0]",
                           "    2001:db8::10 [2/2 1]", "  2001:db8::10 [0/0 0]", "    six.example [2/2 1]"};
    const struct {
        const char* label;
        bool withIpv4;
        int32_t ipv4Error;  // when there is no IPv4 address
        Lines lines;
    } cases[] = {
        {"both families", true, 0, dual},
        {"IPv6 only, the name without IPv4 data", false, winsock::WSANO_DATA, sixOnly},
        {"IPv6 only, the name unknown to IPv4", false, winsock::WSAHOST_NOT_FOUND, sixOnly},
    };
    for (const auto& c : cases) {
        FakeHostResolver resolver;
        if (c.withIpv4)
            resolver.Names["v6.example"] = {"dual.example", {}, {{{192, 0, 2, 10}}}};
        else
            resolver.NameErrors["v6.example"] = c.ipv4Error;
        resolver.Names6["v6.example"] = {"six.example", {"v6.example"}, {}, {"2001:db8::10", "fe80::1"}};
        if (!c.withIpv4) resolver.Names6["v6.example"].Addresses6.pop_back();
        resolver.Reverse["192.0.2.10"] = "ten.example";
        resolver.Reverse["2001:db8::10"] = "six.example";
        resolver.ReverseErrors["fe80::1"] = winsock::WSANO_DATA;
        RecordingTree tree;
        TTreeNode* root = nullptr;
        EXPECT_TRUE(ShowHostInfo(resolver, tree, "v6.example", root)) << c.label;
        EXPECT_EQ(tree.Lines(), c.lines) << c.label;
    }
}

TEST(HostBranch, FailuresGiveOneCollapsedChildWithoutImage)
{
    const struct {
        const char* name;
        int32_t shortError;  // of the short form
        int32_t longError;   // of the long form, when it is asked
        Lines calls;
        std::string text;
    } cases[] = {
        {"absent.example", winsock::WSAHOST_NOT_FOUND, 0, {"name absent.example"}, HostNotFound},
        {"mx.example", winsock::WSANO_DATA, winsock::WSANO_DATA, {"name mx.example", "name www.mx.example"}, NoRecord},
        {"mx.example", winsock::WSANO_DATA, winsock::WSAHOST_NOT_FOUND, {"name mx.example", "name www.mx.example"},
         NoRecord},
        {"www.mx.example", winsock::WSANO_DATA, winsock::WSANO_DATA, {"name mx.example", "name www.mx.example"},
         NoRecord},
        {"slow.example", winsock::WSATRY_AGAIN, 0, {"name slow.example"}, Failed},
        {"odd.example", 0, 0, {"name odd.example"}, Failed},
    };
    for (const auto& c : cases) {
        FakeHostResolver resolver;
        const std::string shortForm = ShortHostForm(c.name);
        resolver.NameErrors[shortForm] = c.shortError;
        resolver.NameErrors["www." + shortForm] = c.longError;
        RecordingTree tree;
        tree.AddChild(nullptr, "earlier", 0, 0, 0);
        TTreeNode* root = nullptr;
        EXPECT_FALSE(ShowHostInfo(resolver, tree, c.name, root)) << c.name;
        EXPECT_EQ(resolver.Calls, c.calls) << c.name;
        ASSERT_EQ(tree.Top.size(), 2u);
        EXPECT_EQ(root, tree.Top[1].get());
        EXPECT_EQ(tree.Lines(), (Lines{"earlier [0/0 0]", Root + " [0/0 0]", "  " + c.text + " [-1/-1 0]"})) << c.name;
    }
}

TEST(ReverseLookup, ThreeOutcomes)
{
    const struct {
        int32_t error;
        std::string text;
        int status;
    } cases[] = {
        {winsock::WSAHOST_NOT_FOUND, ReverseHostNotFound, ReverseFailed},
        {winsock::WSANO_DATA, NoRecord, ReverseNoRecord},
        {winsock::WSATRY_AGAIN, Failed, ReverseFailed},
        {winsock::WSANO_RECOVERY, Failed, ReverseFailed},
        {0, Failed, ReverseFailed},
    };
    const char address[4] = {static_cast<char>(192), 0, 2, 9};
    for (const auto& c : cases) {
        FakeHostResolver resolver;
        resolver.ReverseErrors["192.0.2.9"] = c.error;
        const TReverseLookup result = ReverseLookup(resolver, address, 4, winsock::WS_AF_INET);
        EXPECT_EQ(result.Text, c.text) << c.error;
        EXPECT_EQ(result.Status, c.status) << c.error;
    }
    FakeHostResolver resolver;
    resolver.Reverse["192.0.2.9"] = "nine.example";
    const TReverseLookup found = ReverseLookup(resolver, address, 4, winsock::WS_AF_INET);
    EXPECT_EQ(found.Text, "nine.example");
    EXPECT_EQ(found.Status, ReverseFound);
}

TEST(IpResolver, OnlyANameOrTheNoRecordTextReplacesTheField)
{
    const struct {
        const char* field;
        const char* asked;
        int32_t error;  // -1: the address has a name
        std::string shown;
    } cases[] = {
        {"192.0.2.7", "addr 192.0.2.7 4 2", -1, "seven.example"},
        {"192.0.2.7", "addr 192.0.2.7 4 2", winsock::WSANO_DATA, NoRecord},
        {"192.0.2.7", "addr 192.0.2.7 4 2", winsock::WSAHOST_NOT_FOUND, "previous.example"},
        {"192.0.2.7", "addr 192.0.2.7 4 2", winsock::WSATRY_AGAIN, "previous.example"},
        {"abc", "addr 255.255.255.255 4 2", winsock::WSAHOST_NOT_FOUND, "previous.example"},
        {"", "addr 255.255.255.255 4 2", winsock::WSANO_DATA, NoRecord},
        {"2001:db8::7", "addr 2001:db8::7 16 23", -1, "seven.example"},
        {"fe80::7%1", "addr fe80::7 16 23", winsock::WSANO_DATA, NoRecord},
        {"2001:db8::7%no-such-zone", "addr 255.255.255.255 4 2", -1, "seven.example"},
    };
    for (const auto& c : cases) {
        FakeHostResolver resolver;
        const std::string quad = std::string(c.asked).substr(5, std::string(c.asked).find(' ', 5) - 5);
        if (c.error < 0)
            resolver.Reverse[quad] = "seven.example";
        else
            resolver.ReverseErrors[quad] = c.error;
        EXPECT_EQ(ResolveIpField(resolver, c.field, "previous.example"), c.shown) << c.field << " " << c.error;
        EXPECT_EQ(resolver.Calls, Lines{c.asked});
    }
}

}  // namespace
