// rdap: the registration data of a name from the RDAP server of its extension, or of an
// address or AS number from the registry of its block.
#include "app/rdap_stage.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/exit_status.h"
#include "platform/idna.h"
#include "rdap/bootstrap.h"
#include "rdap/number_query.h"
#include "rdap/rdap_error.h"
#include "rdap/rdap_lookup.h"
#include "runtime/codepage.h"
#include "runtime/text.h"

int RunRdap(const TArguments& args, TConsole& console)
{
    if (const std::optional<TNumberQuery> number = ParseNumberQuery(args.Name))
        return PrintNumberRegistration(*number, args, console);
    TRdapBootstrap servers;
    const std::string dataDir = DataDirectory(args);
    LoadRdapBootstrap(servers, dataDir, [&console](const std::string& message) { console.Error(message); });
    const std::optional<std::string> name = AsciiDomainName(Trim(args.Name));
    if (!name || ExtensionOf(*name).empty()) {
        console.Error(InvalidAddress);
        return ExitFailed;
    }
    const std::string base = servers.BaseUrlFor(ExtensionOf(*name));
    if (base.empty()) {
        console.Error("Pas de serveur RDAP pour l'extension ." + ExtensionOf(*name) + " (" + Utf8ToCp1252(dataDir) +
                      "rdap.json).");
        return ExitFailed;
    }
    try {
        if (!args.Json) {
            console.PrintUtf8(RdapDomainText(base, *name));
            return ExitOk;
        }
        const TRdapReply reply = RdapGet(RdapDomainUrl(base, *name));
        console.RawReply(reply.Body);
        if (reply.Status != 200) console.Error("HTTP " + std::to_string(reply.Status));
        return reply.Status == 200 ? ExitOk : ExitWhoisFailed;
    } catch (const ERdapError& failure) {
        console.Error(failure.Message());
        return ExitWhoisFailed;
    }
}
