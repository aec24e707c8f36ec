// dns: one exchange with a DNS server, listed record by record.
#include "app/lookup_name.h"
#include "app/whois_catalogue.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/dns_listing.h"
#include "cli/exit_status.h"
#include "cli/json_records.h"
#include "cli/result_writers.h"
#include "dns/dns_records.h"
#include "dns/dns_servers.h"
#include "net/dns/id_dns_resolver.h"
#include "runtime/codepage.h"

#include <exception>

int RunDns(const TArguments& args, TConsole& console)
{
    TIdDNSResolver resolver;
    resolver.Port = args.Port;
    resolver.ReceiveTimeout = args.Timeout;
    const std::string server =
        args.ServerGiven ? Utf8ToCp1252(args.Server)
                         : LoadDefaultDnsServer([&console](const std::string& message) { console.Error(message); });
    // As for a lookup: a CR or LF would reach the server inside the name, a pasted
    // no-break space as a blank after it.
    const std::optional<std::string> name = LookupName(args.Name);
    if (!name) {
        console.Error(InvalidAddress);
        return ExitFailed;
    }
    try {
        QueryRecords(resolver, server, *name, args.Type);
    } catch (const std::exception& failure) {
        console.Error(failure.what());
        if (args.Json) {
            nlohmann::json failed = DnsListingJson(server, *name, "");
            failed["error"] = Cp1252ToUtf8(failure.what());
            console.RawOut(CompactJson(failed) + "\n");
        }
        return ExitFailed;
    }
    // Only a reply cut to fit a datagram says how it came: over TCP, or as cut over UDP
    // when TCP gave nothing better.
    const bool cut = resolver.AnsweredOverTcp || (resolver.DNSHeader.Flags & 0x0200) != 0;
    const std::string listing = DnsListing(resolver, !cut ? "" : resolver.AnsweredOverTcp ? "TCP" : "UDP");
    if (args.Json)
        console.RawOut(CompactJson(DnsListingJson(server, *name, listing)) + "\n");
    else
        console.Print(listing);
    return ExitOk;
}
