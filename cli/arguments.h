#pragma once
#include "app/results_file.h"
#include "runtime/exception.h"

#include <cstdint>
#include <string>
#include <vector>

// What the command line asks for.
enum class TCommand { Help, Version, Lookup, Whois, Dns, ResolveIp, Update, Rdap };

struct TArguments {
    TCommand Command = TCommand::Help;
    // lookup, whois, dns: the name; resolve-ip: the address. As typed (UTF-8).
    std::string Name;
    // lookup: both steps unless one of these says otherwise.
    bool WhoisOnly = false;
    bool DnsOnly = false;
    // lookup --rdap: RDAP before whois. --json: rdap writes the server's reply as it is;
    // lookup, dns and resolve-ip write JSON objects.
    bool RdapFirst = false;
    bool Json = false;
    // lookup -f: the list of names ("-" for standard input); ListGiven also for an empty path.
    std::string ListFile;
    bool ListGiven = false;
    // lookup --csv: one CSV row per name (--json: one JSON object per name).
    bool Csv = false;
    // lookup, lists: milliseconds between two requests to one server (--pace), jobs at
    // once (--jobs), and the expiry warning in days (--warn-days, -1 when not asked).
    uint32_t PaceMs = 1000;
    uint32_t Jobs = 4;
    int32_t WarnDays = -1;
    // resolve-ip --rdap: the address's registration after its host name.
    bool Rdap = false;
    // lookup -o: the results file; empty for standard output.
    std::string OutputFile;
    // lookup -o: how the file is written (--encoding).
    TFileEncoding Encoding = TFileEncoding::Windows1252;
    // lookup, whois: the reply keeps its 8-bit characters (--keep-accents).
    bool KeepAccents = false;
    // lookup, update, rdap, resolve-ip: where whois.dat and dns.dat are; empty for the executable's folder.
    std::string DataDir;
    // whois: the server (required); dns: the server, or empty for the computer's own.
    std::string Server;
    bool ServerGiven = false;
    int32_t Port = 0;  // whois 43, dns 53 unless given
    uint16_t Type = 255;
    int32_t Timeout = 4000;
};

// A command line that cannot be followed; the message says what is wrong, in one line.
class EUsageError : public Exception {
public:
    using Exception::Exception;
};

// The arguments after the program's name. "--help" or "-h" anywhere asks for the help;
// "--" ends the options. Raises EUsageError.
TArguments ParseArguments(const std::vector<std::string>& args);

// Whether a lookup runs as a list (-f, --json, --csv or --warn-days): one record per name
// for scripts, rather than the window's results.
bool ListLookup(const TArguments& args);
