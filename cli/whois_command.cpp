// whois: the query typed by hand on the "Whois" page.
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/exit_status.h"
#include "cli/lookup_window.h"
#include "runtime/codepage.h"

int RunWhois(const TArguments& args, TConsole& console)
{
    // The catalogue plays no part in this query: no data directory is read.
    TLookupWindow window(console, "");
    window.LEditName = args.Name;
    window.LabeledEdit1 = Utf8ToCp1252(args.Server);
    window.IdWhois1.Port = args.Port;
    window.IdWhois1.ASCIIFilter = !args.KeepAccents;

    TLookupDriver(window, window.WhoisServers).SpeedButton3Click();
    if (window.WhoisFailed()) return ExitWhoisFailed;
    if (window.Refused()) return ExitFailed;
    console.PrintUtf8(window.MemoText());
    return ExitOk;
}
