#include "cli/console.h"
#include "cli/dns_listing.h"
#include "cli/memory_tree.h"
#include "cli/record_types.h"
#include "cli/usage.h"
#include "net/dns/id_dns_message.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

TEST(CliRecordTypes, NamesAndNumbersBothWays)
{
    const std::vector<std::pair<const char*, uint16_t>> named = {
        {"A", 1},      {"NS", 2},     {"MD", 3},      {"MF", 4},     {"CNAME", 5},    {"SOA", 6},  {"MB", 7},
        {"MG", 8},     {"MR", 9},     {"NULL", 10},   {"WKS", 11},   {"PTR", 12},     {"HINFO", 13},
        {"MINFO", 14}, {"MX", 15},    {"TXT", 16},    {"AXFR", 252}, {"MAILB", 253},  {"MAILA", 254},
        {"ANY", 255}};
    const std::string help = HelpText();
    for (const auto& [name, number] : named) {
        EXPECT_EQ(ParseRecordType(name), number) << name;
        EXPECT_EQ(RecordTypeName(number), name);
        EXPECT_NE(help.find(std::string(" ") + name), std::string::npos) << name << " missing from the help";
    }
    EXPECT_EQ(ParseRecordType("cname"), 5);
    EXPECT_EQ(ParseRecordType("Any"), 255);
    EXPECT_EQ(ParseRecordType("28"), 28);
    EXPECT_EQ(ParseRecordType("0"), 0);
    EXPECT_EQ(ParseRecordType("65535"), 65535);
    for (const char* refused : {"", "AAAA", "-1", "65536", "0x1c", "1 ", "A "}) EXPECT_FALSE(ParseRecordType(refused)) << refused;
    EXPECT_EQ(RecordTypeName(28), "TYPE28");
    EXPECT_EQ(RecordClassName(1), "IN");
    EXPECT_EQ(RecordClassName(3), "CH");
    EXPECT_EQ(RecordClassName(255), "ANY");
    EXPECT_EQ(RecordClassName(0), "CLASS0");
}

TIdDNSResourceItem Record(const std::string& owner, uint16_t type, uint32_t ttl = 3600)
{
    TIdDNSResourceItem r;
    r.OwnerName = owner;
    r.RecordType = type;
    r.RecordClass = 1;
    r.TTL = ttl;
    return r;
}

TEST(CliDnsListing, OneLinePerRecordWithTheFieldsOfItsType)
{
    std::vector<std::pair<TIdDNSResourceItem, std::string>> cases;
    auto add = [&](TIdDNSResourceItem r, std::string line) { cases.emplace_back(std::move(r), std::move(line)); };

    TIdDNSResourceItem a = Record("example.org", 1, 4294967295u);
    a.RData.HostAddress = "192.0.2.1";
    add(a, "AN\texample.org\t4294967295\tIN\tA\t192.0.2.1\r\n");

    for (uint16_t type : {2, 5, 7, 8, 9, 12}) {
        TIdDNSResourceItem r = Record("example.org", type);
        r.RData.DomainName = "ns1.example.org";
        add(r, "AN\texample.org\t3600\tIN\t" + RecordTypeName(type) + "\tns1.example.org\r\n");
    }

    TIdDNSResourceItem soa = Record("example.org", 6);
    soa.RData.SOA = {1209600, 300, "ns1.example.org", 7200, 900, "hostmaster.example.org", 2026120801};
    add(soa, "AN\texample.org\t3600\tIN\tSOA\tns1.example.org\thostmaster.example.org\t2026120801\t7200\t900\t1209600\t300\r\n");

    TIdDNSResourceItem mx = Record("example.org", 15);
    mx.RData.MX.Preference = 10;
    mx.RData.MX.Exchange = "mail.example.org";
    add(mx, "AN\texample.org\t3600\tIN\tMX\t10\tmail.example.org\r\n");

    TIdDNSResourceItem rootMx = Record("", 15, 0);
    add(rootMx, "AN\t.\t0\tIN\tMX\t0\t.\r\n");

    TIdDNSResourceItem hinfo = Record("station.example.org", 13);
    hinfo.RData.HInfo = {"INTEL", "LINUX"};
    add(hinfo, "AN\tstation.example.org\t3600\tIN\tHINFO\tINTEL\tLINUX\r\n");

    TIdDNSResourceItem minfo = Record("example.org", 14);
    minfo.RData.MInfo.RMailBox = "admin.example.org";
    minfo.RData.MInfo.EMailBox = "errors.example.org";
    add(minfo, "AN\texample.org\t3600\tIN\tMINFO\tadmin.example.org\terrors.example.org\r\n");

    TIdDNSResourceItem wks = Record("example.org", 11);
    wks.RData.WKS.Address = 0xC0000201;
    wks.RData.WKS.Protocol = 6;
    wks.RData.WKS.Bitmap = {0x00, 0x01, 0x80, 0xFF, 0, 0, 0, 0x0A};
    add(wks, "AN\texample.org\t3600\tIN\tWKS\t192.0.2.1\t6\t000180ff0000000a\r\n");

    TIdDNSResourceItem txt = Record("example.org", 16);
    txt.RawData = std::string("\x05hello\x00\xFF", 8);
    add(txt, "AN\texample.org\t3600\tIN\tTXT\t0568656c6c6f00ff\r\n");

    TIdDNSResourceItem null = Record("example.org", 10);
    add(null, "AN\texample.org\t3600\tIN\tNULL\t-\r\n");

    TIdDNSResourceItem aaaa = Record("example.org", 28);
    aaaa.DataLength = 16;
    aaaa.RecordClass = 3;
    add(aaaa, "AN\texample.org\t3600\tCH\tTYPE28\t[16 octets]\r\n");  // no reply at hand

    // Bytes from the wire cannot break the line or smuggle terminal controls.
    TIdDNSResourceItem odd = Record(std::string("a\tb\r\nc\\d\x1b[2J\x7f\xE9\0z", 16), 16);
    add(odd, "AN\ta\\009b\\013\\010c\\092d\\027[2J\\127\xE9\\000z\t3600\tIN\tTXT\t-\r\n");

    for (const auto& [record, line] : cases) EXPECT_EQ(line, RecordLine("AN", record));
}

TEST(CliDnsListing, HeaderThenTheThreeSectionsInOrder)
{
    TIdDNSMessage reply;
    reply.DNSHeader.ID = 4242;
    reply.DNSHeader.Flags = 0x8580;
    reply.DNSHeader.QDCount = 1;
    reply.DNSHeader.ANCount = 1;
    reply.DNSHeader.NSCount = 1;
    reply.DNSHeader.ARCount = 1;
    TIdDNSResourceItem& answer = reply.Answers.Add();
    answer = Record("courrier.example.org", 15);
    answer.RData.MX = {"mail.example.org", 10};
    TIdDNSResourceItem& authority = reply.Authority.Add();
    authority = Record("example.org", 2);
    authority.RData.DomainName = "ns1.example.org";
    TIdDNSResourceItem& additional = reply.Additional.Add();
    additional = Record("mail.example.org", 1);
    additional.RData.HostAddress = "192.0.2.25";

    EXPECT_EQ("ID 4242\tFlags 0x8580\tQD 1\tAN 1\tNS 1\tAR 1\r\n"
              "AN\tcourrier.example.org\t3600\tIN\tMX\t10\tmail.example.org\r\n"
              "NS\texample.org\t3600\tIN\tNS\tns1.example.org\r\n"
              "AR\tmail.example.org\t3600\tIN\tA\t192.0.2.25\r\n",
              DnsListing(reply));

    // A type the decoder does not read shows its data as it stands in the reply.
    TIdDNSMessage undecoded;
    undecoded.DNSHeader.ID = 0;
    undecoded.ReplyPacket = std::string("head\x20\x01\x0d\xb8tail", 12);
    TIdDNSResourceItem& aaaa = undecoded.Answers.Add();
    aaaa = Record("example.org", 28);
    aaaa.DataStart = 4;
    aaaa.DataLength = 4;
    EXPECT_EQ("ID 0\tFlags 0x0000\tQD 0\tAN 0\tNS 0\tAR 0\r\n"
              "AN\texample.org\t3600\tIN\tTYPE28\t20010db8\r\n",
              DnsListing(undecoded));
    aaaa.DataStart = 10;  // data said to run past the reply: not read
    EXPECT_NE(DnsListing(undecoded).find("[4 octets]"), std::string::npos);

    TIdDNSMessage empty;
    empty.DNSHeader.ID = 7;
    empty.DNSHeader.Flags = 0x0100;
    EXPECT_EQ("ID 7\tFlags 0x0100\tQD 0\tAN 0\tNS 0\tAR 0\r\n", DnsListing(empty));
}

TEST(CliConsole, ProgramTextBecomesUtf8WithLineFeeds)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", ""},
        {"plain\r\n", "plain\n"},
        {"R\xE9ponse du DNS par d\xE9" "faut\r\n\tNom officiel\r\n", "Réponse du DNS par défaut\n\tNom officiel\n"},
        // A lone CR or LF stays as it is; only the pair becomes one LF.
        {"a\rb\nc\r\n\r\n", "a\rb\nc\n\n"},
        {"\x80 \x9F \xFF", "€ Ÿ ÿ"},
    };
    for (const auto& [program, terminal] : cases) EXPECT_EQ(terminal, ForTerminal(program));
}

TEST(CliConsole, MessagesOneALineAndStagesOnlyForATerminal)
{
    for (const bool terminal : {false, true}) {
        std::ostringstream out, err;
        TConsole console(out, err, terminal, terminal);
        console.Error("L'extention .xyz n'est pas support\xE9" "e!");
        console.Error("");
        console.Error("Echec de GetNetworkParams, code erreur n\xB0 00000002\n");
        console.Error("Socket Error # 10061\r\nConnection refused.");
        console.Progress("Int\xE9rogation du serveur DNS");
        console.Print("x\x1b\x81\x7f\t\r\n");
        console.PrintUtf8("a lone CR\rover\r\n");
        console.RawReply("{\"a\": \"\x1b\"}\r\n");
        EXPECT_EQ(std::string("x\\x1b\\x81\\x7f\t\na lone CR\\x0dover\n") + (terminal ? "{\"a\": \"\\x1b\"}\r\n" : "{\"a\": \"\x1b\"}\r\n"), out.str());
        EXPECT_EQ(std::string("L'extention .xyz n'est pas supportée!\n"
                              "Echec de GetNetworkParams, code erreur n° 00000002\n"
                              "Socket Error # 10061\nConnection refused.\n") +
                      (terminal ? "Intérogation du serveur DNS\n" : ""),
                  err.str());
    }
}

TEST(CliMemoryTree, LinesInTreeOrderWithTheirDepth)
{
    TMemoryTree tree;
    TTreeNode* root = tree.AddChild(nullptr, "root", 0, 0, 0);
    TTreeNode* first = tree.AddChild(root, "first", 0, 0, 0);
    TTreeNode* second = tree.AddChild(root, "second", 0, 0, 0);
    TTreeNode* other = tree.AddChild(nullptr, "other root", 0, 0, 0);
    // Children added after a later sibling still come under their own parent.
    tree.AddChild(first, "grandchild", 2, 2, 2);
    tree.AddChild(second, "late", 2, 2, 1);
    tree.AddChild(other, "under other", -1, -1, 0);
    tree.Expand(root);

    std::string lines;
    for (const TTreeLine& line : tree.Lines()) lines += std::to_string(line.Depth) + " " + line.Text + "|";
    EXPECT_EQ("0 root|1 first|2 grandchild|1 second|2 late|0 other root|1 under other|", lines);

    tree.Clear();
    EXPECT_TRUE(tree.Lines().empty());
}

}  // namespace
