#include "dns/dns_records.h"

#include "dns/dns_servers.h"
#include "net/dns/id_dns_resolver.h"
#include "net/socket/id_exceptions.h"

#include <array>

void QueryRecords(TIdDNSResolver& resolver, const std::string& server, const std::string& name, uint16_t type)
{
    resolver.ClearResults();
    resolver.Host = server;
    resolver.Questions.Clear();
    resolver.DNSHeader.SetQR(false);
    resolver.DNSHeader.SetOpcode(0);
    resolver.DNSHeader.SetRD(true);
    resolver.DNSHeader.QDCount = 1;
    TQuestionItem& question = resolver.Questions.Add();
    question.QName = name;
    question.QType = type;
    question.QClass = 1;
    resolver.Resolve();
}

bool QueryAllRecords(TIdDNSResolver& resolver, const std::string& server, const std::string& name)
{
    try {
        QueryRecords(resolver, server, name, 255);
        return true;
    } catch (const EIdStopped&) {
        throw;  // the user's stop ends the lookup, it is no failure of this branch
    } catch (...) {
        // A time-out, a socket error, a server's error code, a damaged reply: the branch
        // is simply not shown.
        return false;
    }
}

bool TResolverQuery::QueryAllRecords(const std::string& server, const std::string& name)
{
    return ::QueryAllRecords(FResolver, server, name);
}

const TIdDNSResourceList& TResolverQuery::Answers() const { return FResolver.Answers; }

void ShowDnsRecords(IRecordQuery& query, IResultsTree& tree, const std::string& defaultServer,
                    const std::string& name, const std::string& appDir)
{
    if (!query.QueryAllRecords(defaultServer, name)) return;
    std::string server = SelectDnsServer(query.Answers(), name, appDir);
    if (server.empty()) server = defaultServer;
    if (!query.QueryAllRecords(server, name)) return;

    TTreeNode* branch = tree.AddChild(nullptr, "R\xE9ponse du DNS: " + server, ImageClosed, ImageClosed, NodePlain);
    std::array<TTreeNode*, std::size(kRecordLabels)> labels{};
    for (size_t i = 0; i < labels.size(); ++i)
        labels[i] = tree.AddChild(branch, kRecordLabels[i], ImageClosed, ImageClosed, NodePlain);

    const TIdDNSResourceList& answers = query.Answers();
    for (int32_t r = 0; r < answers.Count(); ++r) {
        const TRdata& data = answers[r].RData;
        const std::array<const std::string*, std::size(kRecordLabels)> fields = {
            &data.DomainName,      &data.HInfo.CPU,   &data.HInfo.OS, &data.MInfo.EMailBox,
            &data.MInfo.RMailBox, &data.MX.Exchange, &data.SOA.RName, &data.SOA.MName};
        for (size_t i = 0; i < fields.size(); ++i)
            if (!fields[i]->empty()) tree.AddChild(labels[i], *fields[i], ImageValue, ImageValue, NodeValue);
    }
    tree.Expand(branch);
}
