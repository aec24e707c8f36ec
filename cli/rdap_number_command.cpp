// The registration of an address or an AS number, for rdap and resolve-ip --rdap.
#include "app/rdap_stage.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/exit_status.h"
#include "rdap/number_lookup.h"
#include "rdap/rdap_error.h"
#include "runtime/codepage.h"

int PrintNumberRegistration(const TNumberQuery& query, const TArguments& args, TConsole& console)
{
    TRdapNumberServers servers;
    LoadRdapNumberBootstraps(servers, DataDirectory(args),
                             [&console](const std::string& message) { console.Error(message); });
    const TRdapGet get = [](const std::string& url) { return RdapGet(url); };
    try {
        if (!args.Json) {
            console.PrintUtf8(RdapNumberText(servers, query, get));
            return ExitOk;
        }
        if (const std::optional<std::string> special = SpecialPurposeLine(query)) {
            console.Error(Utf8ToCp1252(*special));
            return ExitFailed;
        }
        const TRdapReply reply = get(RdapNumberUrl(RdapNumberBase(servers, query), query));
        console.RawReply(reply.Body);
        if (reply.Status != 200) console.Error("HTTP " + std::to_string(reply.Status));
        return reply.Status == 200 ? ExitOk : ExitWhoisFailed;
    } catch (const ERdapNoServer& none) {
        console.Error(Utf8ToCp1252(none.Message()));
        return ExitFailed;
    } catch (const ERdapError& failure) {
        console.Error(failure.Message());
        return ExitWhoisFailed;
    }
}
