#pragma once
#include "cli/arguments.h"

class TConsole;

// The subcommands; each returns the program's exit status (cli/exit_status.h).
int RunLookup(const TArguments& args, TConsole& console);
// lookup as a list (ListLookup): cli/list_command.cpp.
int RunListLookup(const TArguments& args, TConsole& console);
int RunWhois(const TArguments& args, TConsole& console);
int RunDns(const TArguments& args, TConsole& console);
int RunResolveIp(const TArguments& args, TConsole& console);
int RunUpdate(const TArguments& args, TConsole& console);
int RunRdap(const TArguments& args, TConsole& console);

struct TNumberQuery;
// rdap and resolve-ip --rdap: the registration of an address or an AS number from the
// registry of its block (--json: the reply as it came).
int PrintNumberRegistration(const TNumberQuery& query, const TArguments& args, TConsole& console);

// The data directory with its trailing "/": the one given, or the program's own
// (app/data_folder.h).
std::string DataDirectory(const TArguments& args);
