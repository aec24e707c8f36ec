#pragma once
// The system resolver replaced: names and addresses answer from tables, and every entry
// is written into one result area that the next call overwrites, as the platform does.
#include "dns/host_info.h"
#include "platform/address6.h"

#include <arpa/inet.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

class FakeHostResolver : public IHostResolver {
public:
    struct Host {
        std::string Name;
        std::vector<std::string> Aliases;
        std::vector<std::array<uint8_t, 4>> Addresses;
        std::vector<std::string> Addresses6 = {};  // IPv6 text, in Names6
    };
    std::map<std::string, Host> Names;          // by the name asked
    std::map<std::string, Host> Names6;         // by the name asked for IPv6 (not in Calls)
    std::map<std::string, int32_t> NameErrors;  // otherwise 11001
    std::map<std::string, std::string> Reverse; // dotted quad or IPv6 text -> host name
    std::map<std::string, int32_t> ReverseErrors;
    std::vector<std::string> Calls;

    const winsock::hostent* GetHostByName(const std::string& name) override
    {
        Calls.push_back("name " + name);
        if (const auto found = Names.find(name); found != Names.end()) return Fill(found->second);
        const auto error = NameErrors.find(name);
        FError = error != NameErrors.end() ? error->second : winsock::WSAHOST_NOT_FOUND;
        return nullptr;
    }
    const winsock::hostent* GetHostByName6(const std::string& name) override
    {
        if (const auto found = Names6.find(name); found != Names6.end()) return Fill(found->second);
        FError = winsock::WSANO_DATA;
        return nullptr;
    }
    const winsock::hostent* GetHostByAddr(const char* address, int32_t length, int32_t family) override
    {
        const auto* b = reinterpret_cast<const unsigned char*>(address);
        char quad[INET6_ADDRSTRLEN];
        if (length == 16)
            ::inet_ntop(AF_INET6, address, quad, sizeof quad);
        else
            std::snprintf(quad, sizeof quad, "%u.%u.%u.%u", b[0], b[1], b[2], b[3]);
        Calls.push_back("addr " + std::string(quad) + " " + std::to_string(length) + " " + std::to_string(family));
        if (const auto found = Reverse.find(quad); found != Reverse.end())
            return Fill({found->second, {"alias-of-" + found->second}, {{b[0], b[1], b[2], b[3]}}});
        const auto error = ReverseErrors.find(quad);
        FError = error != ReverseErrors.end() ? error->second : winsock::WSAHOST_NOT_FOUND;
        return nullptr;
    }
    int32_t LastError() const override { return FError; }

private:
    static constexpr size_t Slots = 8;
    // The one result area: fixed buffers, so that a pointer kept from an earlier call
    // reads what the latest call wrote.
    struct Area {
        char Name[256];
        char Aliases[Slots][256];
        char* AliasList[Slots + 1];
        char Addresses[Slots][16];
        char* AddressList[Slots + 1];
        winsock::hostent Entry;
    } FArea{};
    int32_t FError = 0;

    const winsock::hostent* Fill(const Host& host)
    {
        std::snprintf(FArea.Name, sizeof FArea.Name, "%s", host.Name.c_str());
        size_t i = 0;
        for (; i < host.Aliases.size() && i < Slots; ++i) {
            std::snprintf(FArea.Aliases[i], sizeof FArea.Aliases[i], "%s", host.Aliases[i].c_str());
            FArea.AliasList[i] = FArea.Aliases[i];
        }
        FArea.AliasList[i] = nullptr;
        const bool six = !host.Addresses6.empty();
        for (i = 0; i < (six ? host.Addresses6.size() : host.Addresses.size()) && i < Slots; ++i) {
            if (six)
                ::inet_pton(AF_INET6, host.Addresses6[i].c_str(), FArea.Addresses[i]);
            else
                std::memcpy(FArea.Addresses[i], host.Addresses[i].data(), 4);
            FArea.AddressList[i] = FArea.Addresses[i];
        }
        FArea.AddressList[i] = nullptr;
        FArea.Entry = {FArea.Name, FArea.AliasList, six ? int16_t{winsock::WS_AF_INET6} : int16_t{winsock::WS_AF_INET},
                       int16_t(six ? 16 : 4), FArea.AddressList};
        return &FArea.Entry;
    }
};
