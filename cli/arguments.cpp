#include "cli/arguments.h"

#include "cli/numbers.h"
#include "cli/record_types.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string_view>

namespace {

using TSetter = std::function<void(TArguments&, const std::string& value)>;

struct TOption {
    const char* Name;
    bool TakesValue;
    TSetter Set;
};

struct TSubcommand {
    const char* Name;
    TCommand Command;
    int32_t DefaultPort;
    std::vector<TOption> Options;
};

constexpr uint32_t kMaxPort = 65535;
constexpr uint32_t kMaxTimeout = INT32_MAX;
constexpr uint32_t kMaxPaceMs = 3600 * 1000;
constexpr uint32_t kMaxJobs = 64;
constexpr uint32_t kMaxWarnDays = 36500;

// A decimal value from min to max; otherwise "<what> invalide : "<value>"<hint>".
uint32_t Decimal(const std::string& value, uint32_t min, uint32_t max, const char* what, const char* hint)
{
    const std::optional<uint32_t> number = ParseDecimal(value, max);
    if (!number || *number < min) throw EUsageError(std::string(what) + " invalide : \"" + value + "\"" + hint);
    return *number;
}

void SetPort(TArguments& args, const std::string& value)
{
    args.Port = static_cast<int32_t>(Decimal(value, 1, kMaxPort, "port", " (de 1 à 65535)"));
}

void SetEncoding(TArguments& args, const std::string& value)
{
    if (value == "utf-8")
        args.Encoding = TFileEncoding::Utf8;
    else if (value == "windows-1252")
        args.Encoding = TFileEncoding::Windows1252;
    else
        throw EUsageError("encodage inconnu : \"" + value + "\" (windows-1252 ou utf-8)");
}

void SetNonEmpty(std::string& field, const char* option, const std::string& value)
{
    if (value.empty()) throw EUsageError(std::string("l'option ") + option + " attend une valeur non vide");
    field = value;
}

// A server as typed; an IPv6 address may come in brackets, alone or followed by ":port"
// as in a URL.
void SetServer(TArguments& args, const std::string& value)
{
    const size_t close = value.size() > 2 && value.front() == '[' ? value.find(']') : std::string::npos;
    const bool bracketed =
        close != std::string::npos && close > 1 && (close + 1 == value.size() || value[close + 1] == ':');
    if (bracketed && close + 1 < value.size()) SetPort(args, value.substr(close + 2));
    args.Server = bracketed ? value.substr(1, close - 1) : value;
    args.ServerGiven = true;
}

const std::vector<TSubcommand>& Subcommands()
{
    static const TOption dataDir{"--data-dir", true, [](TArguments& a, const std::string& v) {
                                     SetNonEmpty(a.DataDir, "--data-dir", v);
                                 }};
    static const TOption port{"--port", true, SetPort};
    static const TOption server{"--server", true, SetServer};
    static const TOption keepAccents{"--keep-accents", false,
                                     [](TArguments& a, const std::string&) { a.KeepAccents = true; }};
    static const TOption json{"--json", false, [](TArguments& a, const std::string&) { a.Json = true; }};
    static const std::vector<TSubcommand> table = {
        {"lookup", TCommand::Lookup, 0,
         {{"--whois-only", false, [](TArguments& a, const std::string&) { a.WhoisOnly = true; }},
          {"-f", true,
           [](TArguments& a, const std::string& v) {
               SetNonEmpty(a.ListFile, "-f", v);
               a.ListGiven = true;
           }},
          json,
          {"--csv", false, [](TArguments& a, const std::string&) { a.Csv = true; }},
          {"--pace", true,
           [](TArguments& a, const std::string& v) {
               const std::optional<uint32_t> ms = ParseSecondsAsMs(v, kMaxPaceMs);
               if (!ms) throw EUsageError("intervalle invalide : \"" + v + "\" (en secondes, 0 à 3600)");
               a.PaceMs = *ms;
           }},
          {"--jobs", true,
           [](TArguments& a, const std::string& v) { a.Jobs = Decimal(v, 1, kMaxJobs, "nombre de tâches", " (de 1 à 64)"); }},
          {"--warn-days", true,
           [](TArguments& a, const std::string& v) {
               a.WarnDays = static_cast<int32_t>(Decimal(v, 0, kMaxWarnDays, "nombre de jours", ""));
           }},
          {"--dns-only", false, [](TArguments& a, const std::string&) { a.DnsOnly = true; }},
          {"-o", true, [](TArguments& a, const std::string& v) { SetNonEmpty(a.OutputFile, "-o", v); }},
          {"--rdap", false, [](TArguments& a, const std::string&) { a.RdapFirst = true; }},
          {"--encoding", true, SetEncoding},
          keepAccents,
          dataDir}},
        {"rdap", TCommand::Rdap, 0, {json, dataDir}},
        {"whois", TCommand::Whois, 43,
         {server,
          port,
          keepAccents}},
        {"dns", TCommand::Dns, 53,
         {server,
          port,
          json,
          {"--type", true,
           [](TArguments& a, const std::string& v) {
               const std::optional<uint16_t> type = ParseRecordType(v);
               if (!type) throw EUsageError("type inconnu : \"" + v + "\"");
               a.Type = *type;
           }},
          {"--timeout", true,
           [](TArguments& a, const std::string& v) {
               a.Timeout = static_cast<int32_t>(Decimal(v, 0, kMaxTimeout, "délai", " (en millisecondes)"));
           }}}},
        {"resolve-ip", TCommand::ResolveIp, 0,
         {json, {"--rdap", false, [](TArguments& a, const std::string&) { a.Rdap = true; }}, dataDir}},
        {"update", TCommand::Update, 0, {dataDir}},
    };
    return table;
}

// Lists write records, not the window's results; one kind of record at a time.
void CheckListOptions(const TArguments& args, const std::vector<std::string>& positional)
{
    if (args.Json && args.Csv) throw EUsageError("--json et --csv s'excluent");
    if (ListLookup(args) && !args.OutputFile.empty()) throw EUsageError("-o ne va pas avec -f, --json, --csv ni --warn-days");
    if (args.ListGiven && !positional.empty()) throw EUsageError("argument en trop : \"" + positional[0] + "\"");
}

bool IsHelp(const std::string& arg) { return arg == "--help" || arg == "-h"; }

// An argument that names an option: it starts with "-" and is more than that.
bool LooksLikeOption(const std::string& arg) { return arg.size() > 1 && arg[0] == '-'; }

const TOption* FindOption(const TSubcommand& sub, std::string_view name)
{
    for (const TOption& option : sub.Options)
        if (name == option.Name) return &option;
    return nullptr;
}

}  // namespace

TArguments ParseArguments(const std::vector<std::string>& args)
{
    TArguments result;
    // Help wins over anything else on the line, even a line that would be refused.
    const auto end = std::find(args.begin(), args.end(), "--");
    if (std::any_of(args.begin(), end, IsHelp)) return result;
    if (args.empty()) throw EUsageError("sous-commande manquante");
    if (args[0] == "--version") {
        if (args.size() > 1) throw EUsageError("--version ne prend pas d'argument");
        result.Command = TCommand::Version;
        return result;
    }

    const auto& table = Subcommands();
    const auto sub = std::find_if(table.begin(), table.end(), [&](const TSubcommand& s) { return args[0] == s.Name; });
    if (sub == table.end()) throw EUsageError("sous-commande inconnue : \"" + args[0] + "\"");
    result.Command = sub->Command;
    result.Port = sub->DefaultPort;

    std::vector<std::string> positional;
    bool optionsEnded = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || !LooksLikeOption(arg)) {
            positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        // "--name=value" for the long options; "-o" takes the next argument only.
        const size_t equals = arg.rfind("--", 0) == 0 ? arg.find('=') : std::string::npos;
        const std::string name = arg.substr(0, equals);
        const TOption* option = FindOption(*sub, name);
        if (option == nullptr)
            throw EUsageError("option inconnue pour " + std::string(sub->Name) + " : \"" + name + "\"");
        std::string value;
        if (equals != std::string::npos) {
            if (!option->TakesValue) throw EUsageError("l'option " + name + " ne prend pas de valeur");
            value = arg.substr(equals + 1);
        } else if (option->TakesValue) {
            if (i + 1 >= args.size()) throw EUsageError("l'option " + name + " attend une valeur");
            value = args[++i];
        }
        option->Set(result, value);
    }

    if (result.WhoisOnly && result.DnsOnly) throw EUsageError("--whois-only et --dns-only s'excluent");
    if (result.Command == TCommand::Lookup) CheckListOptions(result, positional);
    if (result.Command == TCommand::Whois && !result.ServerGiven)
        throw EUsageError("whois demande --server");
    const char* what = result.Command == TCommand::ResolveIp ? "ADRESSE" : "NOM";
    if (result.Command == TCommand::Update) {
        if (!positional.empty()) throw EUsageError("argument en trop : \"" + positional[0] + "\"");
        return result;
    }
    if (result.ListGiven) return result;
    if (positional.empty()) throw EUsageError(std::string(what) + " manquant");
    if (positional.size() > 1) throw EUsageError("argument en trop : \"" + positional[1] + "\"");
    result.Name = positional[0];
    return result;
}

bool ListLookup(const TArguments& args) { return args.ListGiven || args.Json || args.Csv || args.WarnDays >= 0; }
