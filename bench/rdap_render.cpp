// Rendering a 1 MB RDAP domain reply: the JSON parse and the whois-style text, then the
// Windows-1252 conversion a saved file makes of it. Prints the best time of a few runs and
// the peak memory the rendering took over what the process held before it, as a multiple
// of the reply.
#include "bench/peak_memory.h"
#include "rdap/rdap_render.h"
#include "runtime/codepage.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

// A registrar-sized reply grown to `size` bytes: many name servers, contacts with accented
// names, redactions and long notices, the parts a large real answer is made of.
std::string LargeReply(size_t size)
{
    std::string json = R"({"objectClassName": "domain", "handle": "1_BENCH", "ldhName": "bench.example",)"
                       R"( "status": ["active"], "events": [{"eventAction": "registration", "eventDate": "2001-01-01T00:00:00Z"}],)"
                       R"( "nameservers": [)";
    for (int i = 0; json.size() < size / 3; ++i)
        json += (i ? "," : "") + std::string(R"({"objectClassName": "nameserver", "ldhName": "ns)") +
                std::to_string(i) + R"(.h\u00e9bergeur.example"})";
    json += R"(], "entities": [)";
    for (int i = 0; json.size() < 2 * size / 3; ++i)
        json += (i ? "," : "") + std::string(R"({"roles": ["technical"], "vcardArray": ["vcard", [["fn", {}, "text", "H\u00e9l\u00e8ne )") +
                std::to_string(i) + R"("], ["email", {}, "text", "h@bench.example"], ["adr", {}, "text", ["", "", "1 rue de l'\u00c9glise", "Orl\u00e9ans", "", "45000", "FR"]]]]})";
    // What the registry withheld: names the page has a line for, and names it lists apart.
    json += R"(], "redacted": [)";
    for (int i = 0; json.size() < 3 * size / 4; ++i)
        json += (i ? "," : "") + std::string(R"({"name": {"type": ")") +
                (i % 3 == 0 ? "Tech Email" : i % 3 == 1 ? "Registrant Name" : "Registry Tech ID " + std::to_string(i)) +
                R"("}, "method": "removal"})";
    json += R"(], "notices": [)";
    for (int i = 0; json.size() < size - 200; ++i)
        json += (i ? "," : "") + std::string(R"({"title": "Terms", "description": ["Line )") + std::to_string(i) +
                R"( of the terms of use, with an escape \u001b here."]})";
    return json + "]}";
}

}  // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const std::string reply = LargeReply(1000 * 1000);
    double best = 1e9, peak = -1;
    size_t lines = 0, pageBytes = 0;
    for (int run = 0; run < runs; ++run) {
        const long long before = bench::StatusBytes("VmRSS");
        const bool measured = bench::ResetPeakMemory();
        const auto start = Clock::now();
        const std::string page = Utf8ToCp1252(RenderRdapDomain("https://rdap.example/domain/bench.example", reply).Text);
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
        if (measured && before > 0)
            peak = std::max(peak, static_cast<double>(bench::StatusBytes("VmHWM") - before) / static_cast<double>(reply.size()));
        lines = static_cast<size_t>(std::count(page.begin(), page.end(), '\n'));
        pageBytes = page.size();
    }
    std::printf("RDAP reply of %zu bytes -> page of %zu bytes, %zu lines, best of %d runs\n", reply.size(), pageBytes,
                lines, runs);
    std::printf("parse + render + code page: %.1f ms (%.0f MB/s), peak memory %.1fx the reply\n", best * 1000,
                static_cast<double>(reply.size()) / 1e6 / best, peak);
    return 0;
}
