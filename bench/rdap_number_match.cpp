// The registry of an address or an AS number over IANA's full bootstrap files (data/):
// the load that builds the segment table, then lookups of random numbers, so that no
// block is favoured. Prints the best time of a few runs, per lookup.
#include "rdap/number_bootstrap.h"
#include "runtime/files.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

void Measure(const char* file, TNumberFamily family, int bits)
{
    const std::string text = ReadFileBytes(std::string(NORVANE_SOURCE_DIR "/data/") + file);
    TRdapNumberBootstrap bootstrap(family);
    double load = 1e9;
    for (int run = 0; run < 5; ++run) {
        const auto start = Clock::now();
        bootstrap.Load(text);
        load = std::min(load, std::chrono::duration<double>(Clock::now() - start).count());
    }
    std::mt19937_64 random(27);
    std::vector<TRdapNumber> numbers(1 << 20);
    for (TRdapNumber& number : numbers) {
        number = (TRdapNumber(random()) << 64) | random();
        if (bits < 128) number &= (TRdapNumber(1) << bits) - 1;
        if (family == TNumberFamily::Ipv6) number = (number & ~(TRdapNumber(0xF) << 124)) | (TRdapNumber(2) << 124);
    }
    double best = 1e9;
    size_t held = 0;
    for (int run = 0; run < 5; ++run) {
        held = 0;
        const auto start = Clock::now();
        for (const TRdapNumber number : numbers) held += !bootstrap.BaseUrlFor(number).empty();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    std::printf("%-10s load %.3f ms; %zu lookups: %.1f ns each (%zu held by a registry)\n", file, load * 1e3,
                numbers.size(), best * 1e9 / static_cast<double>(numbers.size()), held);
}

}  // namespace

int main()
{
    Measure("ipv4.json", TNumberFamily::Ipv4, 32);
    // Global unicast (2000::/4) alone: elsewhere every lookup would end at "nobody".
    Measure("ipv6.json", TNumberFamily::Ipv6, 128);
    // The 16-bit numbers and the first 4-byte ones, where the registries' ranges lie.
    Measure("asn.json", TNumberFamily::Asn, 19);
    return 0;
}
