#include "dig_comparison.h"

#include "dns/dns_records.h"
#include "named_peer.h"
#include "tests/unit/dns/recording_tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

namespace {

const std::map<uint16_t, std::string> kTypeNames = {
    {1, "A"},     {2, "NS"},    {5, "CNAME"}, {6, "SOA"},  {12, "PTR"},   {13, "HINFO"}, {14, "MINFO"},
    {15, "MX"},   {16, "TXT"},  {28, "AAAA"}, {43, "DS"},  {46, "RRSIG"}, {47, "NSEC"},  {48, "DNSKEY"}};
// Types whose data the decoder fills in.
const char* const kDecoded[] = {"A", "NS", "CNAME", "SOA", "PTR", "HINFO", "MINFO", "MX", "TXT"};

bool IsDecoded(const std::string& typeName)
{
    return std::find(std::begin(kDecoded), std::end(kDecoded), typeName) != std::end(kDecoded);
}

std::string TypeName(uint16_t type)
{
    const auto found = kTypeNames.find(type);
    return found != kTypeNames.end() ? found->second : "TYPE" + std::to_string(type);
}

std::string Absolute(const std::string& name) { return name + "."; }

// TXT data as dig shows it: each counted text quoted.
std::string QuotedTexts(const std::string& raw)
{
    std::string out;
    for (size_t at = 0; at < raw.size();) {
        const size_t count = static_cast<uint8_t>(raw[at]);
        out += (out.empty() ? "\"" : " \"") + raw.substr(at + 1, count) + "\"";
        at += 1 + count;
    }
    return out;
}

std::string DataText(const TIdDNSResourceItem& r)
{
    const TRdata& d = r.RData;
    switch (r.RecordType) {
    case 1: return d.HostAddress;
    case 2: case 5: case 12: return Absolute(d.DomainName);
    case 6:
        return Absolute(d.SOA.MName) + " " + Absolute(d.SOA.RName) + " " + std::to_string(d.SOA.Serial) + " " +
               std::to_string(d.SOA.Refresh) + " " + std::to_string(d.SOA.Retry) + " " +
               std::to_string(d.SOA.Expire) + " " + std::to_string(d.SOA.Minimum);
    case 13: return "\"" + d.HInfo.CPU + "\" \"" + d.HInfo.OS + "\"";
    case 14: return Absolute(d.MInfo.RMailBox) + " " + Absolute(d.MInfo.EMailBox);
    case 15: return std::to_string(d.MX.Preference) + " " + Absolute(d.MX.Exchange);
    case 16: return QuotedTexts(r.RawData);
    default: return "";
    }
}

std::vector<std::string> Fields(const std::string& line)
{
    std::istringstream in(line);
    std::vector<std::string> fields;
    for (std::string field; in >> field;) fields.push_back(field);
    return fields;
}

// A dig record line with single blanks, without the data of undecoded types.
std::string Normalized(const std::string& line)
{
    std::vector<std::string> fields = Fields(line);
    if (fields.size() > 4 && !IsDecoded(fields[3])) fields.resize(4);
    std::string joined;
    for (const std::string& f : fields) joined += (joined.empty() ? "" : " ") + f;
    return joined;
}

// A name or text of dig's as the tree shows it: no final dot, no quotation marks.
std::string Shown(std::string text)
{
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') return text.substr(1, text.size() - 2);
    if (!text.empty() && text.back() == '.') text.pop_back();
    return text;
}

// The decoded answers as the record query hands them to the branch.
class DecodedAnswers : public IRecordQuery {
public:
    explicit DecodedAnswers(const TIdDNSResourceList& answers) : FAnswers(answers) {}
    bool QueryAllRecords(const std::string&, const std::string&) override { return true; }
    const TIdDNSResourceList& Answers() const override { return FAnswers; }

private:
    const TIdDNSResourceList& FAnswers;
};

// Keeps the reply for the fuzzing corpus when NORVANE_DNS_CAPTURE names a folder.
void Capture(const std::string& label, const std::string& reply)
{
    if (const char* folder = std::getenv("NORVANE_DNS_CAPTURE"))
        std::ofstream(std::string(folder) + "/" + label, std::ios::binary) << reply;
}

}  // namespace

DigReply Dig(int port, const std::string& question, bool retryOverTcp)
{
    const std::string out =
        RunAndRead(std::string("dig +noedns +notcp ") + (retryOverTcp ? "" : "+ignore ") + "+nocookie +time=2 +tries=1 +noall +comments +answer "
                   "+authority +additional -p " + std::to_string(port) + " @127.0.0.1 " + question + " 2>&1");
    DigReply reply;
    std::vector<std::string>* section = nullptr;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(";; flags:", 0) == 0)
            reply.Truncated = line.substr(0, line.find(';', 3)).find(" tc") != std::string::npos;
        else if (line.rfind(";; ANSWER SECTION", 0) == 0) section = &reply.Answer;
        else if (line.rfind(";; AUTHORITY SECTION", 0) == 0) section = &reply.Authority;
        else if (line.rfind(";; ADDITIONAL SECTION", 0) == 0) section = &reply.Additional;
        else if (!line.empty() && line[0] != ';' && section != nullptr) section->push_back(Normalized(line));
    }
    for (auto* list : {&reply.Answer, &reply.Authority, &reply.Additional}) std::sort(list->begin(), list->end());
    return reply;
}

std::vector<std::string> RecordLines(const TIdDNSResourceList& list)
{
    std::vector<std::string> lines;
    for (int32_t i = 0; i < list.Count(); ++i) {
        const TIdDNSResourceItem& r = list[i];
        const std::string data = DataText(r);
        lines.push_back(Absolute(r.OwnerName) + " " + std::to_string(r.TTL) + " " +
                        (r.RecordClass == 1 ? "IN" : "CLASS" + std::to_string(r.RecordClass)) + " " +
                        TypeName(r.RecordType) + (data.empty() ? "" : " " + data));
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::vector<std::string> BranchValues(const TIdDNSResourceList& answers)
{
    DecodedAnswers query(answers);
    RecordingTree tree;
    ShowDnsRecords(query, tree, "127.0.0.1", "name", "/nonexistent/");
    std::vector<std::string> values;
    for (const auto& label : tree.Top.at(0)->Children)
        for (const auto& value : label->Children) values.push_back(label->Text + ": " + value->Text);
    std::sort(values.begin(), values.end());
    return values;
}

std::vector<std::string> BranchValuesOf(const std::vector<std::string>& digAnswer)
{
    std::vector<std::string> values;
    auto add = [&](const char* label, const std::string& text) {
        if (!Shown(text).empty()) values.push_back(std::string(label) + ": " + Shown(text));
    };
    for (const std::string& line : digAnswer) {
        const std::vector<std::string> f = Fields(line);
        if (f.size() < 5) continue;
        const std::string& type = f[3];
        if (type == "NS" || type == "CNAME" || type == "PTR") add("Nom de domaine", f[4]);
        else if (type == "HINFO" && f.size() > 5) add("CPU", f[4]), add("OS", f[5]);
        else if (type == "MINFO" && f.size() > 5) add("RMailBox", f[4]), add("EMailBox", f[5]);
        else if (type == "MX" && f.size() > 5) add("MX Exchange", f[5]);
        else if (type == "SOA" && f.size() > 5) add("SOA MName", f[4]), add("SOA RName", f[5]);
    }
    std::sort(values.begin(), values.end());
    return values;
}

void Ask(TIdDNSResolver& resolver, int port, const std::string& name, uint16_t type)
{
    resolver.Port = port;
    QueryRecords(resolver, "127.0.0.1", name, type);
}

void ExpectSameAsDig(const TIdDNSResolver& resolver, int port, const std::string& label,
                     const std::string& digQuestion)
{
    SCOPED_TRACE(label);
    Capture(label, resolver.ReplyPacket);
    const DigReply dig = Dig(port, digQuestion, true);
    EXPECT_FALSE(dig.Answer.empty() && dig.Authority.empty()) << "dig saw nothing";
    EXPECT_EQ((resolver.DNSHeader.Flags & 0x0200) != 0, dig.Truncated);
    EXPECT_EQ(RecordLines(resolver.Answers), dig.Answer);
    EXPECT_EQ(RecordLines(resolver.Authority), dig.Authority);
    EXPECT_EQ(RecordLines(resolver.Additional), dig.Additional);
    EXPECT_EQ(BranchValues(resolver.Answers), BranchValuesOf(dig.Answer));
}
