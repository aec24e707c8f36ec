// lookup: what "Lancer" does, then the results as "Enregistrer sous" writes them.
#include "app/data_folder.h"
#include "app/lookup_name.h"
#include "app/results_file.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/exit_status.h"
#include "cli/lookup_window.h"
#include "runtime/codepage.h"
#include "runtime/text.h"

#include <exception>

std::string DataDirectory(const TArguments& args)
{
    if (args.DataDir.empty()) return ProgramDataFolders().Data;
    return args.DataDir.back() == '/' ? args.DataDir : args.DataDir + "/";
}

int RunLookup(const TArguments& args, TConsole& console)
{
    if (ListLookup(args)) return RunListLookup(args, console);
    TLookupWindow window(console, DataDirectory(args));
    window.FormCreate();
    window.LEditName = args.Name;
    window.CheckWhois = !args.DnsOnly;
    window.CheckDNS = !args.WhoisOnly;
    window.CheckRdapFirst = args.RdapFirst;
    window.IdWhois1.ASCIIFilter = !args.KeepAccents;

    // The name the servers will be asked about, when it is not the one typed.
    if (const std::optional<std::string> ascii = LookupName(args.Name); ascii && *ascii != Trim(args.Name))
        console.Progress(*ascii);
    TLookupDriver(window, window.WhoisServers, &window.RdapServers).Button1Click();
    if (window.Refused()) return ExitFailed;

    if (args.OutputFile.empty()) {
        console.PrintUtf8(
            ResultsFileContent(WithClosingEmptyLine(window.MemoText()), window.TreeLines(), TFileEncoding::Utf8));
    } else {
        try {
            SaveResults(window, args.OutputFile, args.Encoding);
        } catch (...) {
            ReportException(console, std::current_exception());
            return ExitCannotCreate;
        }
    }
    return window.WhoisFailed() ? ExitWhoisFailed : ExitOk;
}
