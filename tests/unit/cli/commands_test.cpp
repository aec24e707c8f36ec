// The whois side of the companion's subcommands against a loopback whois server: what
// reaches each output and the exit statuses. The DNS side needs a DNS server and runs
// end to end in the fake Internet.
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/exit_status.h"
#include "runtime/files.h"
#include "tests/fixtures/loopback_server.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <sstream>
#include <string>

using fixtures::LoopbackServer;
using fixtures::Script;

namespace {

class CliWhoisSide : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/norvane-cli-test-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        Dir = pattern;
        DataDir = Dir;
    }
    void TearDown() override { std::filesystem::remove_all(Dir); }

    // A catalogue sending names under "fr" to the loopback server.
    void WriteCatalogue(uint16_t port)
    {
        WriteFileBytes(Dir + "/whois.dat", "#20261201\r\nfr=127.0.0.1\r\n@127.0.0.1=domain $T$\r\np@127.0.0.1=" +
                                               std::to_string(port) + "\r\n");
    }

    int Lookup(const std::string& name, const std::string& outputFile = "")
    {
        TArguments args;
        args.Command = TCommand::Lookup;
        args.Name = name;
        args.WhoisOnly = true;
        args.DataDir = DataDir;
        args.OutputFile = outputFile;
        TConsole console(Out, Err, false);
        return RunLookup(args, console);
    }

    std::string Dir, DataDir;
    std::ostringstream Out, Err;
};

TEST_F(CliWhoisSide, LookupPrintsTheWhoisPageClosedByAnEmptyLine)
{
    LoopbackServer server(Script().ExpectLine().Send(std::string("Soci\xE9t\xE9 Exemple\nline two\x1b]0;t\x07\0\t.", 33)));
    WriteCatalogue(server.Port());
    EXPECT_EQ(ExitOk, Lookup("  Example.FR "));
    ASSERT_TRUE(server.WaitFinished(1));
    // The template applied to the trimmed name as typed; the reply's high bits cleared as
    // the window's client does; line breaks as the results file has them, made LF;
    // control characters shown, not obeyed.
    EXPECT_EQ("domain Example.FR\r\n", server.Received(0));
    EXPECT_EQ("Sociiti Exemple\nline two\\x1b]0;t\\x07\\x00\t.\n", Out.str());
    EXPECT_EQ("", Err.str());
}

TEST_F(CliWhoisSide, LookupToAFileWritesTheResultsFileItself)
{
    LoopbackServer server(Script().ExpectLine().Send(std::string("a\x1b[31m\x07\0\nb\r\n", 12)));
    WriteCatalogue(server.Port());
    const std::string file = Dir + "/results.txt";
    EXPECT_EQ(ExitOk, Lookup("x.fr", file));
    EXPECT_EQ(std::string("a\x1b[31m\x07\0\r\nb\r\n\r\n", 15), ReadFileBytes(file));
    EXPECT_EQ("", Out.str());

    const std::string nowhere = Dir + "/missing/results.txt";
    LoopbackServer again(Script().ExpectLine().Send("a\n"));
    WriteCatalogue(again.Port());
    EXPECT_EQ(ExitCannotCreate, Lookup("x.fr", nowhere));
    EXPECT_EQ("Cannot create file " + nowhere + ".\n", Err.str());
}

TEST_F(CliWhoisSide, RefusedNamesStopBeforeAnyQuery)
{
    LoopbackServer server(Script().ExpectLine().Send("never"));
    WriteCatalogue(server.Port());
    const std::pair<std::string, const char*> cases[] = {
        {"", "Adresse invalide!\n"},
        {"nodot", "Adresse invalide!\n"},
        {"x.fr\r\nQUIT", "Adresse invalide!\n"},
        {"x\t.fr", "Adresse invalide!\n"},
        {std::string("x\0.fr", 5), "Adresse invalide!\n"},
        {"x.XYZ", "L'extention .xyz n'est pas supportée!\n"},
        {"x.", "L'extention . n'est pas supportée!\n"},
    };
    for (const auto& [name, message] : cases) {
        Out.str("");
        Err.str("");
        EXPECT_EQ(ExitFailed, Lookup(name)) << name;
        EXPECT_EQ(message, Err.str()) << name;
        EXPECT_EQ("", Out.str()) << name;
    }
    EXPECT_EQ(0u, server.ConnectionCount());
}

TEST_F(CliWhoisSide, WhoisFailureIsToldAndStatusTwo)
{
    uint16_t closedPort = 0;
    {
        LoopbackServer gone(Script().Close());
        closedPort = gone.Port();
    }
    WriteCatalogue(closedPort);
    EXPECT_EQ(ExitWhoisFailed, Lookup("x.fr"));
    EXPECT_EQ("Socket Error # 10061\nConnection refused.\n", Err.str());
    // The whois page stayed empty and the tree was not asked for: nothing to write.
    EXPECT_EQ("", Out.str());
}

TEST_F(CliWhoisSide, MissingCatalogueIsReportedAndEveryNameIsThenUnsupported)
{
    DataDir = Dir + "/Résumé";  // the terminal shows the path as the file system names it
    EXPECT_EQ(ExitFailed, Lookup("x.fr"));
    EXPECT_EQ("Cannot open file " + DataDir + "/whois.dat.\nL'extention .fr n'est pas supportée!\n", Err.str());
}

TEST_F(CliWhoisSide, ByHandQueryTakesServerPortAndNameAsGiven)
{
    TArguments args;
    args.Command = TCommand::Whois;
    args.Server = " 127.0.0.1 ";
    TConsole console(Out, Err, false);
    // No catalogue, no template: the trimmed name alone, free text in Windows-1252.
    const std::pair<const char*, const char*> queries[] = {
        {"Soci\u00E9t\u00E9 G\u00E9n\u00E9rale", "Soci\xE9t\xE9 G\xE9n\xE9rale\r\n"}, {" x.nowhere ", "x.nowhere\r\n"}};
    std::unique_ptr<LoopbackServer> server;
    for (const auto& [name, query] : queries) {
        server = std::make_unique<LoopbackServer>(Script().ExpectLine().Send("by\nhand"));
        args.Name = name;
        args.Port = server->Port();
        Out.str("");
        EXPECT_EQ(ExitOk, RunWhois(args, console)) << name;
        ASSERT_TRUE(server->WaitFinished(1));
        EXPECT_EQ(query, server->Received(0));
        EXPECT_EQ("by\nhand", Out.str());
    }

    server->Stop();
    Out.str("");
    EXPECT_EQ(ExitWhoisFailed, RunWhois(args, console));
    EXPECT_EQ("Socket Error # 10061\nConnection refused.\n", Err.str());
    EXPECT_EQ("", Out.str());
}

}  // namespace
