// resolve-ip: the "Résolveur d'IP" panel.
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/exit_status.h"
#include "cli/json_records.h"
#include "cli/result_writers.h"
#include "dns/host_info.h"
#include "dns/ip_resolver.h"
#include "net/socket/id_component.h"
#include "runtime/codepage.h"

int RunResolveIp(const TArguments& args, TConsole& console)
{
    // The panel relies on the socket stack that the window's components keep up.
    const TIdComponent stackUser;
    TSystemHostResolver resolver;
    const TReverseLookup result = ResolveIpAddress(resolver, Utf8ToCp1252(args.Name));
    if (args.Json) console.RawOut(CompactJson(ReverseLookupJson(args.Name, result)) + "\n");
    if (result.Status == ReverseFailed) {
        // The panel keeps its old text; the reason is worth telling here.
        console.Error(result.Text);
        return ExitFailed;
    }
    if (!args.Json) console.Print(result.Text + "\r\n");
    return ExitOk;
}
