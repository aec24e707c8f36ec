#include "app/whois_query.h"

#include "net/whois/id_whois.h"
#include "runtime/codepage.h"
#include "runtime/text.h"

std::string NormalizeLineBreaks(std::string reply)
{
    return ReplaceAll(ReplaceAll(reply, "\r\n", "\n"), "\n", "\r\n");
}

std::string DecodeWhoisReply(const std::string& reply) { return IsUtf8(reply) ? reply : Cp1252ToUtf8(reply); }

std::string ApplyQueryTemplate(const std::string& templ, const std::string& name)
{
    if (templ.empty()) return name;
    return ReplaceAll(templ, "$T$", name);
}

std::string RunCatalogueQuery(TIdWhois& client, const std::string& host, const std::string& templ,
                              int32_t port, const std::string& name)
{
    client.Host = host;
    client.Port = port;
    return NormalizeLineBreaks(DecodeWhoisReply(client.QueryDomain(ApplyQueryTemplate(templ, name))));
}

std::string RunManualQuery(TIdWhois& client, const std::string& serverField, const std::string& nameField)
{
    client.Host = Trim(serverField);
    return NormalizeLineBreaks(DecodeWhoisReply(client.QueryDomain(Trim(nameField))));
}
