#include "cli/arguments.h"
#include "cli/usage.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

using Args = std::vector<std::string>;

struct Accepted {
    Args Line;
    TArguments Expected;
};

TArguments Make(TCommand command, std::string name, void (*edit)(TArguments&) = nullptr)
{
    TArguments a;
    a.Command = command;
    a.Name = std::move(name);
    a.Port = command == TCommand::Whois ? 43 : command == TCommand::Dns ? 53 : 0;
    if (edit != nullptr) edit(a);
    return a;
}

void ExpectSame(const TArguments& want, const TArguments& got, const std::string& line)
{
    SCOPED_TRACE(line);
    EXPECT_EQ(static_cast<int>(want.Command), static_cast<int>(got.Command));
    EXPECT_EQ(want.Name, got.Name);
    EXPECT_EQ(want.WhoisOnly, got.WhoisOnly);
    EXPECT_EQ(want.DnsOnly, got.DnsOnly);
    EXPECT_EQ(want.OutputFile, got.OutputFile);
    EXPECT_EQ(want.DataDir, got.DataDir);
    EXPECT_EQ(want.Server, got.Server);
    EXPECT_EQ(want.ServerGiven, got.ServerGiven);
    EXPECT_EQ(want.Port, got.Port);
    EXPECT_EQ(want.Type, got.Type);
    EXPECT_EQ(want.Timeout, got.Timeout);
    EXPECT_EQ(want.ListFile, got.ListFile);
    EXPECT_EQ(want.ListGiven, got.ListGiven);
    EXPECT_EQ(want.Json, got.Json);
    EXPECT_EQ(want.Csv, got.Csv);
    EXPECT_EQ(want.PaceMs, got.PaceMs);
    EXPECT_EQ(want.Jobs, got.Jobs);
    EXPECT_EQ(want.WarnDays, got.WarnDays);
}

std::string Joined(const Args& args)
{
    std::string line;
    for (const auto& a : args) line += "[" + a + "]";
    return line;
}

TEST(CliArguments, AcceptedLines)
{
    const std::vector<Accepted> cases = {
        {{"lookup", "example.org"}, Make(TCommand::Lookup, "example.org")},
        {{"lookup", "--whois-only", "example.org"}, Make(TCommand::Lookup, "example.org", [](TArguments& a) { a.WhoisOnly = true; })},
        {{"lookup", "example.org", "--dns-only"}, Make(TCommand::Lookup, "example.org", [](TArguments& a) { a.DnsOnly = true; })},
        {{"lookup", "-o", "out.txt", "--data-dir", "/d", "x.fr"},
         Make(TCommand::Lookup, "x.fr", [](TArguments& a) { a.OutputFile = "out.txt"; a.DataDir = "/d"; })},
        {{"lookup", "--data-dir=/d/", "x.fr"}, Make(TCommand::Lookup, "x.fr", [](TArguments& a) { a.DataDir = "/d/"; })},
        // A name may be empty (the window then says "Adresse invalide!"), or start with "-" after "--".
        {{"lookup", ""}, Make(TCommand::Lookup, "")},
        {{"lookup", "--", "-odd.fr"}, Make(TCommand::Lookup, "-odd.fr")},
        {{"lookup", "-"}, Make(TCommand::Lookup, "-")},
        {{"whois", "--server", "whois.example.net", "x.fr"},
         Make(TCommand::Whois, "x.fr", [](TArguments& a) { a.Server = "whois.example.net"; a.ServerGiven = true; })},
        {{"whois", "x.fr", "--server=", "--port", "4343"},
         Make(TCommand::Whois, "x.fr", [](TArguments& a) { a.ServerGiven = true; a.Port = 4343; })},
        {{"dns", "x.fr"}, Make(TCommand::Dns, "x.fr")},
        {{"dns", "--type", "mx", "--server", "127.0.0.53", "--port", "5353", "--timeout", "250", "x.fr"},
         Make(TCommand::Dns, "x.fr", [](TArguments& a) {
             a.Type = 15; a.Server = "127.0.0.53"; a.ServerGiven = true; a.Port = 5353; a.Timeout = 250; })},
        {{"dns", "--type=28", "--timeout=0", "x.fr"}, Make(TCommand::Dns, "x.fr", [](TArguments& a) { a.Type = 28; a.Timeout = 0; })},
        {{"dns", "--port", "65535", "x.fr"}, Make(TCommand::Dns, "x.fr", [](TArguments& a) { a.Port = 65535; })},
        // IPv6 servers, with or without the brackets of an address with a port.
        {{"dns", "--server", "[fd00::53]", "x.fr"}, Make(TCommand::Dns, "x.fr", [](TArguments& a) { a.Server = "fd00::53"; a.ServerGiven = true; })},
        {{"whois", "--server=fe80::1%eth0", "x.fr"}, Make(TCommand::Whois, "x.fr", [](TArguments& a) { a.Server = "fe80::1%eth0"; a.ServerGiven = true; })},
        {{"whois", "--server", "[]", "x.fr"}, Make(TCommand::Whois, "x.fr", [](TArguments& a) { a.Server = "[]"; a.ServerGiven = true; })},
        {{"dns", "--server", "[::1]:5353", "x.fr"},
         Make(TCommand::Dns, "x.fr", [](TArguments& a) { a.Server = "::1"; a.ServerGiven = true; a.Port = 5353; })},
        {{"resolve-ip", "127.0.0.1"}, Make(TCommand::ResolveIp, "127.0.0.1")},
        {{"resolve-ip", "--json", "::1"}, Make(TCommand::ResolveIp, "::1", [](TArguments& a) { a.Json = true; })},
        {{"lookup", "-f", "-", "--csv", "--pace", "0.05", "--jobs", "10", "--warn-days=30"},
         Make(TCommand::Lookup, "", [](TArguments& a) {
             a.ListFile = "-"; a.ListGiven = true; a.Csv = true; a.PaceMs = 50; a.Jobs = 10; a.WarnDays = 30; })},
        {{"lookup", "--json", "--pace", "2", "x.fr"}, Make(TCommand::Lookup, "x.fr", [](TArguments& a) { a.Json = true; a.PaceMs = 2000; })},
        {{"lookup", "--pace", "0", "--warn-days", "0", "x.fr"},
         Make(TCommand::Lookup, "x.fr", [](TArguments& a) { a.PaceMs = 0; a.WarnDays = 0; })},
        {{"update"}, Make(TCommand::Update, "")},
        {{"update", "--data-dir", "d"}, Make(TCommand::Update, "", [](TArguments& a) { a.DataDir = "d"; })},
        {{"--version"}, Make(TCommand::Version, "")},
        // Help wins over everything before "--", even a line that would be refused.
        {{"--help"}, Make(TCommand::Help, "")},
        {{"dns", "--type", "BOGUS", "-h"}, Make(TCommand::Help, "")},
        {{"nonsense", "--help"}, Make(TCommand::Help, "")},
    };
    for (const Accepted& c : cases) {
        try {
            ExpectSame(c.Expected, ParseArguments(c.Line), Joined(c.Line));
        } catch (const EUsageError& e) {
            ADD_FAILURE() << Joined(c.Line) << " refused: " << e.what();
        }
    }
}

TEST(CliArguments, RefusedLinesSayWhy)
{
    const std::vector<std::pair<Args, std::string>> cases = {
        {{}, "sous-commande manquante"},
        {{"search", "x.fr"}, "sous-commande inconnue : \"search\""},
        {{"--version", "x"}, "--version ne prend pas d'argument"},
        {{"lookup"}, "NOM manquant"},
        {{"lookup", "a.fr", "b.fr"}, "argument en trop : \"b.fr\""},
        {{"lookup", "--whois-only", "--dns-only", "a.fr"}, "--whois-only et --dns-only s'excluent"},
        {{"lookup", "--server", "h", "a.fr"}, "option inconnue pour lookup : \"--server\""},
        {{"lookup", "-o"}, "l'option -o attend une valeur"},
        {{"lookup", "-o", "", "a.fr"}, "l'option -o attend une valeur non vide"},
        {{"lookup", "--whois-only=yes", "a.fr"}, "l'option --whois-only ne prend pas de valeur"},
        {{"lookup", "--data-dir=", "a.fr"}, "l'option --data-dir attend une valeur non vide"},
        {{"whois", "a.fr"}, "whois demande --server"},
        {{"whois", "--server", "h"}, "NOM manquant"},
        {{"whois", "--server", "h", "--port", "0", "a.fr"}, "port invalide : \"0\" (de 1 à 65535)"},
        {{"whois", "--server", "h", "--port", "65536", "a.fr"}, "port invalide : \"65536\" (de 1 à 65535)"},
        {{"whois", "--server", "h", "--port", "-1", "a.fr"}, "port invalide : \"-1\" (de 1 à 65535)"},
        {{"whois", "--server", "h", "--port", " 43", "a.fr"}, "port invalide : \" 43\" (de 1 à 65535)"},
        {{"dns", "--type", "AAAAA", "a.fr"}, "type inconnu : \"AAAAA\""},
        {{"dns", "--type", "65536", "a.fr"}, "type inconnu : \"65536\""},
        {{"dns", "--timeout", "2147483648", "a.fr"}, "délai invalide : \"2147483648\" (en millisecondes)"},
        {{"dns", "--timeout", "99999999999999999999999", "a.fr"},
         "délai invalide : \"99999999999999999999999\" (en millisecondes)"},
        {{"resolve-ip"}, "ADRESSE manquant"},
        {{"resolve-ip", "--port", "1", "127.0.0.1"}, "option inconnue pour resolve-ip : \"--port\""},
        {{"update", "x"}, "argument en trop : \"x\""},
        {{"lookup", "-f", "l.txt", "a.fr"}, "argument en trop : \"a.fr\""},
        {{"lookup", "--json", "--csv", "a.fr"}, "--json et --csv s'excluent"},
        {{"lookup", "--csv", "-o", "x", "a.fr"}, "-o ne va pas avec -f, --json, --csv ni --warn-days"},
        {{"lookup", "--pace", "0.0001", "a.fr"}, "intervalle invalide : \"0.0001\" (en secondes, 0 à 3600)"},
        {{"lookup", "--pace", ".5", "a.fr"}, "intervalle invalide : \".5\" (en secondes, 0 à 3600)"},
        {{"lookup", "--pace", "3600.001", "a.fr"}, "intervalle invalide : \"3600.001\" (en secondes, 0 à 3600)"},
        {{"lookup", "--jobs", "0", "a.fr"}, "nombre de tâches invalide : \"0\" (de 1 à 64)"},
        {{"lookup", "--warn-days", "-1", "a.fr"}, "nombre de jours invalide : \"-1\""},
        // After "--" nothing is an option, not even a request for help.
        {{"lookup", "--", "--help", "a.fr"}, "argument en trop : \"a.fr\""},
    };
    for (const auto& [line, message] : cases) {
        try {
            ParseArguments(line);
            ADD_FAILURE() << Joined(line) << " accepted";
        } catch (const EUsageError& e) {
            EXPECT_EQ(message, e.Message()) << Joined(line);
        }
    }
}

TEST(CliArguments, HelpShowsEveryFormWithAnExampleThatParses)
{
    const std::string help = HelpText();
    EXPECT_NE(help.find(UsageText()), std::string::npos);
    // Every example line of the help is a command line the parser takes.
    std::istringstream lines(help);
    std::string line;
    std::vector<std::string> commands;
    while (std::getline(lines, line)) {
        const size_t at = line.find("norvane-cli ");
        if (at == std::string::npos || line.find_first_not_of(' ') != at || at < 10) continue;
        std::istringstream words(line.substr(at + 12));
        Args args;
        for (std::string w; words >> w;) args.push_back(w);
        const TArguments parsed = ParseArguments(args);
        commands.push_back(args.at(0));
        EXPECT_NE(static_cast<int>(parsed.Command), static_cast<int>(TCommand::Help)) << line;
    }
    for (const char* sub : {"lookup", "whois", "dns", "resolve-ip", "update"})
        EXPECT_NE(std::find(commands.begin(), commands.end(), sub), commands.end()) << sub << " has no example";
}

}  // namespace
