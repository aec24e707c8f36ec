// norvane-cli: the lookups of the window, from the command line.
#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/exit_status.h"
#include "cli/lookup_window.h"
#include "cli/usage.h"

#include <unistd.h>

#include <exception>
#include <iostream>
#include <string>
#include <vector>

namespace {

int Run(const TArguments& args, TConsole& console)
{
    switch (args.Command) {
    case TCommand::Help: console.RawOut(HelpText()); return ExitOk;
    case TCommand::Version: console.RawOut(VersionText()); return ExitOk;
    case TCommand::Lookup: return RunLookup(args, console);
    case TCommand::Whois: return RunWhois(args, console);
    case TCommand::Dns: return RunDns(args, console);
    case TCommand::ResolveIp: return RunResolveIp(args, console);
    case TCommand::Update: return RunUpdate(args, console);
    case TCommand::Rdap: return RunRdap(args, console);
    }
    return ExitFailed;
}

}  // namespace

int main(int argc, char** argv)
{
    TConsole console(std::cout, std::cerr, ::isatty(STDERR_FILENO) == 1, ::isatty(STDOUT_FILENO) == 1);
    TArguments args;
    try {
        args = ParseArguments(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const EUsageError& wrong) {
        // The message quotes the argument it refuses, which may hold anything.
        console.RawErr("norvane-cli : " + EscapeControls(wrong.Message()) + "\n" + UsageText());
        return ExitUsage;
    }
    int status = ExitFailed;
    try {
        status = Run(args, console);
    } catch (...) {
        // What a window would have shown in the application's error box.
        ReportException(console, std::current_exception());
    }
    std::cout.flush();
    return std::cout.good() ? status : ExitFailed;
}
