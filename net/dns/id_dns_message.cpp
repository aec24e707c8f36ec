#include "net/dns/id_dns_message.h"

#include "net/dns/id_dns_record_types.h"
#include "net/dns/id_dns_reply_decoder.h"
#include "net/dns/id_dns_resolver_error.h"
#include "runtime/text.h"

#include <string_view>
#include <vector>

namespace {

[[noreturn]] void Raise(const std::string& message) { throw EIdDnsResolverError(message); }

void AppendWord(std::string& out, uint16_t value) {
    out.push_back(static_cast<char>(value >> 8));
    out.push_back(static_cast<char>(value & 0xFF));
}

void AppendLabel(std::string& out, std::string_view label) {
    out.push_back(static_cast<char>(label.size() & 0xFF));
    out.append(label);
}

// Takes the text before the first "." (all of it without one) and drops it with the ".".
std::string_view TakeLabel(std::string_view& rest) {
    const size_t dot = rest.find('.');
    std::string_view label = rest.substr(0, dot);
    rest = dot == std::string_view::npos ? std::string_view() : rest.substr(dot + 1);
    return label;
}

void AppendLabels(std::string& out, std::string_view name) {
    while (!name.empty()) AppendLabel(out, TakeLabel(name));
}

void AppendReverseLabels(std::string& out, std::string_view name) {
    std::vector<std::string_view> labels;
    while (!name.empty()) labels.push_back(TakeLabel(name));
    for (auto it = labels.rbegin(); it != labels.rend(); ++it) AppendLabel(out, *it);
    AppendLabel(out, "in-addr");
    AppendLabel(out, "arpa");
}

void AppendQuestionName(std::string& out, const TQuestionItem& question) {
    switch (question.QType) {
    case TypeA: case TypeNS: case TypeCNAME: case TypeSOA: case TypeMB: case TypeMG:
    case TypeMR: case TypeNULL: case TypeWKS: case TypeHINFO: case TypeMINFO: case TypeMX:
    case TypeTXT: case TypeAXFR: case TypeMAILB: case TypeANY:
        AppendLabels(out, question.QName);
        break;
    case TypePTR: AppendReverseLabels(out, question.QName); break;
    case TypeMD: Raise(kMdObsolete);
    case TypeMF: Raise(kMfObsolete);
    case TypeMAILA: Raise(kMailAObsolete);
    default: break;  // any other type asks about the root
    }
}

}  // namespace

void TIdDNSMessage::ClearResults() {
    DNSHeader.Reset();
    Questions.Clear();
    Answers.Clear();
    Authority.Clear();
    Additional.Clear();
}

void TIdDNSMessage::BuildQuery() {
    DNSHeader.ID = DNSHeader.NextQueryId();
    DNSHeader.QDCount = static_cast<uint16_t>(Questions.Count());
    if (Questions.Count() == 0) Raise(Format("Invaild Query Count %d", 1));
    QueryPacket.clear();
    AppendWord(QueryPacket, DNSHeader.ID);
    AppendWord(QueryPacket, DNSHeader.Flags);
    AppendWord(QueryPacket, DNSHeader.QDCount);
    QueryPacket.append(6, '\0');  // no answer, authority or additional records in a query
    for (int32_t i = 0; i < Questions.Count(); ++i) {
        const TQuestionItem& question = Questions[i];
        AppendQuestionName(QueryPacket, question);
        QueryPacket.push_back('\0');
        AppendWord(QueryPacket, question.QType);
        AppendWord(QueryPacket, question.QClass);
    }
    QueryLength = static_cast<int32_t>(QueryPacket.size());
}

void TIdDNSMessage::DecodeReply() {
    ClearResults();
    ReplyLength = static_cast<int32_t>(ReplyPacket.size());
    const TIdDNSReader reader(ReplyPacket);
    TIdDNSReplyDecoder(reader, *this).Decode();
}
