// Reads arbitrary bytes as ipv4.json, ipv6.json or asn.json (the first byte chooses) and as
// a query typed by a user. A refused file holds nothing; a loaded one answers every edge
// of every block the way a plain scan of the blocks does: the narrowest block holding
// the number wins, the first in the file among equals, a service without https has none.
#include "fuzz/fail_if.h"
#include "rdap/number_bootstrap.h"
#include "rdap/number_query.h"
#include "rdap/rdap_error.h"

#include <nlohmann/json.hpp>

#include <cctype>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct TPlainBlock {
    TRdapNumber First, Last;
    std::string Base;
};

std::string PlainHttpsBase(const nlohmann::json& urls)
{
    for (const auto& url : urls) {
        if (!url.is_string()) continue;
        std::string text = url.get<std::string>();
        if (text.size() <= 8) continue;
        bool https = true;
        for (size_t i = 0; i < 8; ++i) https = https && (text[i] | (i < 5 ? 0x20 : 0)) == "https://"[i];
        if (!https) continue;
        return text.back() == '/' ? text : text + "/";
    }
    return {};
}

std::vector<TPlainBlock> PlainBlocks(TNumberFamily family, std::string_view text)
{
    std::vector<TPlainBlock> blocks;
    const auto root = nlohmann::json::parse(text.begin(), text.end(), nullptr, false);
    for (const auto& service : root["services"]) {
        const std::string base = PlainHttpsBase(service[1]);
        for (const auto& entry : service[0]) {
            TPlainBlock block{0, 0, base};
            FailIf(!ParseNumberBlock(family, entry.get<std::string>(), block.First, block.Last));
            blocks.push_back(block);
        }
    }
    return blocks;
}

std::string PlainBaseFor(const std::vector<TPlainBlock>& blocks, TRdapNumber number)
{
    const TPlainBlock* best = nullptr;
    for (const TPlainBlock& block : blocks)
        if (number >= block.First && number <= block.Last && (!best || block.Last - block.First < best->Last - best->First))
            best = &block;
    return best ? best->Base : std::string();
}

void CheckQuery(std::string_view text)
{
    const std::optional<TNumberQuery> query = ParseNumberQuery(text);
    if (!query) return;
    // What goes into the URL is the canonical form alone: no byte of the input passes.
    for (const char c : query->Text) FailIf(!std::isxdigit(static_cast<unsigned char>(c)) && c != '.' && c != ':');
    FailIf(query->Family != TNumberFamily::Asn && ParseAddressQuery(query->Text)->Number != query->Number);
    (void)SpecialPurposeLine(*query);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) return 0;
    const TNumberFamily family = static_cast<TNumberFamily>(data[0] % 3);
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    CheckQuery(text);
    TRdapNumberBootstrap bootstrap(family);
    try {
        bootstrap.Load(text);
    } catch (const ERdapBootstrapError&) {
        FailIf(!bootstrap.Empty() || !bootstrap.Publication().empty());
        return 0;
    }
    const std::vector<TPlainBlock> blocks = PlainBlocks(family, text);
    if (blocks.size() > 300) return 0;  // the plain scan is quadratic; the table is not
    for (const TPlainBlock& block : blocks)
        for (const TRdapNumber number : {block.First - 1, block.First, block.Last, block.Last + 1})
            FailIf(bootstrap.BaseUrlFor(number) != PlainBaseFor(blocks, number));
    return 0;
}
