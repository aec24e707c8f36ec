// The shipped catalogues against the registry data they are made from (data/sources/,
// scripts/catalogues.py), read with the program's own readers: neither drifts alone.
#include "app/rdap_stage.h"
#include "app/whois_catalogue.h"
#include "rdap/bootstrap.h"
#include "runtime/files.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string Data = NORVANE_SOURCE_DIR "/data/";

// The TAB-separated fields of a source's lines, its "#" comments left out.
std::vector<std::vector<std::string>> SourceRows(const std::string& name)
{
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(ReadFileBytes(Data + "sources/" + name));
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string>& fields = rows.emplace_back();
        std::istringstream cells(line);
        for (std::string cell; std::getline(cells, cell, '\t');) fields.push_back(cell);
    }
    return rows;
}

TEST(ShippedData, WhoisDatNamesIanasWhoisServersAndNoOthers)
{
    std::map<std::string, std::string> iana;
    for (const auto& row : SourceRows("iana-whois-servers.txt")) iana[row.at(0)] = row.at(1);
    TWhoisServers servers;
    servers.LoadFromFile(Data + "whois.dat");
    size_t extensions = 0;
    for (int i = 1; i < servers.Count(); ++i) {
        const std::string& line = servers[i];
        if (line.rfind('@', 0) == 0 || line.rfind("p@", 0) == 0) continue;
        const size_t equals = line.find('=');
        ASSERT_NE(equals, std::string::npos) << line;
        EXPECT_EQ(iana[line.substr(0, equals)], line.substr(equals + 1)) << line;
        ++extensions;
    }
    EXPECT_EQ(extensions, iana.size());
}

TEST(ShippedData, EveryHttpsRdapServiceIsThereTheLocalOnesWinning)
{
    std::map<std::string, std::string> expected;
    const auto iana = nlohmann::json::parse(ReadFileBytes(Data + "sources/iana-dns.json"));
    for (const auto& service : iana.at("services"))
        for (const auto& url : service.at(1))
            if (url.get<std::string>().rfind("https://", 0) == 0) {
                for (const auto& extension : service.at(0)) expected.emplace(extension, url);
                break;
            }
    const auto local = SourceRows("cctld-rdap-outside-iana.tsv");
    for (const auto& row : local) expected.insert_or_assign(row.at(0), row.at(1));
    ASSERT_GT(expected.size(), local.size());

    TRdapBootstrap servers;
    LoadRdapBootstrap(servers, Data, [](const std::string& message) { ADD_FAILURE() << message; });
    for (const auto& [extension, url] : expected) EXPECT_EQ(servers.BaseUrlFor(extension), url) << extension;
}

}  // namespace
