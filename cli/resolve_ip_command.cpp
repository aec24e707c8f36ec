// resolve-ip: the "Résolveur d'IP" panel.
#include "app/whois_catalogue.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/exit_status.h"
#include "cli/json_records.h"
#include "cli/result_writers.h"
#include "dns/host_info.h"
#include "dns/ip_resolver.h"
#include "net/socket/id_component.h"
#include "rdap/number_query.h"
#include "runtime/codepage.h"

int RunResolveIp(const TArguments& args, TConsole& console)
{
    // The panel relies on the socket stack that the window's components keep up.
    const TIdComponent stackUser;
    TSystemHostResolver resolver;
    const TReverseLookup result = ResolveIpAddress(resolver, Utf8ToCp1252(args.Name));
    const bool named = result.Status != ReverseFailed;
    if (args.Json) console.RawOut(CompactJson(ReverseLookupJson(args.Name, result)) + "\n");
    if (!named)
        console.Error(result.Text);  // the panel keeps its old text; the reason is worth telling here
    else if (!args.Json)
        console.Print(result.Text + "\r\n");
    if (!args.Rdap) return named ? ExitOk : ExitFailed;
    const std::optional<TNumberQuery> address = ParseAddressQuery(args.Name);
    if (!address) {
        console.Error(InvalidAddress);
        return ExitFailed;
    }
    const int registration = PrintNumberRegistration(*address, args, console);
    return registration != ExitOk || named ? registration : ExitFailed;
}
