#include "rdap/number_bootstrap.h"

#include "rdap/bootstrap_file.h"

#include <arpa/inet.h>

#include <algorithm>
#include <set>
#include <utility>

namespace {

using nlohmann::json;

// A decimal number of at most `digits` digits and at most `max`.
bool ParseDecimal(std::string_view text, size_t digits, uint64_t max, uint64_t& value)
{
    if (text.empty() || text.size() > digits) return false;
    value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    return value <= max;
}

bool ParsePrefix(TNumberFamily family, std::string_view text, TRdapNumber& first, TRdapNumber& last)
{
    const size_t slash = text.find('/');
    const unsigned bits = family == TNumberFamily::Ipv4 ? 32 : 128;
    uint64_t length = 0;
    if (slash == std::string_view::npos || !ParseDecimal(text.substr(slash + 1), 3, bits, length)) return false;
    TRdapNumber address = 0;
    if (!ParseIpAddress(family, text.substr(0, slash), address)) return false;
    const unsigned hostBits = bits - static_cast<unsigned>(length);
    const TRdapNumber hostMask = hostBits == 128 ? ~TRdapNumber(0) : (TRdapNumber(1) << hostBits) - 1;
    first = address & ~hostMask;
    last = first | hostMask;
    return true;
}

bool ParseAsRange(std::string_view text, TRdapNumber& first, TRdapNumber& last)
{
    const size_t dash = text.find('-');
    uint64_t low = 0, high = 0;
    if (!ParseDecimal(text.substr(0, dash), 10, UINT32_MAX, low)) return false;
    if (dash == std::string_view::npos)
        high = low;
    else if (!ParseDecimal(text.substr(dash + 1), 10, UINT32_MAX, high) || high < low)
        return false;
    first = low;
    last = high;
    return true;
}

struct TBlock {
    TRdapNumber First, Last;
    int Base;  // -1: the service offers no https URL, so this block has no registry to ask
};

// The blocks as disjoint segments, each taking the base of the narrowest block over it
// (the first in the file among equals): a sweep over the blocks' edges, O(n log n).
void Segment(const std::vector<TBlock>& blocks, std::vector<TRdapNumber>& starts, std::vector<int>& baseOf)
{
    struct TEdge {
        TRdapNumber At;
        bool Opens;
        size_t Block;
    };
    std::vector<TEdge> edges;
    for (size_t i = 0; i < blocks.size(); ++i) {
        edges.push_back({blocks[i].First, true, i});
        if (blocks[i].Last != ~TRdapNumber(0)) edges.push_back({blocks[i].Last + 1, false, i});
    }
    std::sort(edges.begin(), edges.end(), [](const TEdge& a, const TEdge& b) { return a.At < b.At; });
    std::set<std::pair<TRdapNumber, size_t>> open;  // (width, block)
    // Equal neighbours make one segment; the numbers below the first edge belong to none.
    const auto emit = [&](TRdapNumber at, int base) {
        if (!baseOf.empty() && baseOf.back() == base) return;
        starts.push_back(at);
        baseOf.push_back(base);
    };
    if (edges.front().At != 0) emit(0, -1);
    for (size_t i = 0; i < edges.size();) {
        const TRdapNumber at = edges[i].At;
        for (; i < edges.size() && edges[i].At == at; ++i) {
            const TBlock& block = blocks[edges[i].Block];
            const std::pair<TRdapNumber, size_t> key(block.Last - block.First, edges[i].Block);
            if (edges[i].Opens)
                open.insert(key);
            else
                open.erase(key);
        }
        emit(at, open.empty() ? -1 : blocks[open.begin()->second].Base);
    }
}

}  // namespace

bool ParseIpAddress(TNumberFamily family, std::string_view text, TRdapNumber& number)
{
    if (family == TNumberFamily::Asn || text.empty() || text.size() > 45 || text.find('\0') != std::string_view::npos)
        return false;
    const bool four = family == TNumberFamily::Ipv4;
    unsigned char bytes[16];
    if (inet_pton(four ? AF_INET : AF_INET6, std::string(text).c_str(), bytes) != 1) return false;
    number = 0;
    for (int i = 0; i < (four ? 4 : 16); ++i) number = (number << 8) | bytes[i];
    return true;
}

bool ParseNumberBlock(TNumberFamily family, std::string_view text, TRdapNumber& first, TRdapNumber& last)
{
    return family == TNumberFamily::Asn ? ParseAsRange(text, first, last) : ParsePrefix(family, text, first, last);
}

void TRdapNumberBootstrap::Clear()
{
    FStarts.clear();
    FBaseOf.clear();
    FBases.clear();
    FPublication.clear();
}

void TRdapNumberBootstrap::Load(std::string_view text)
{
    Clear();
    const json root = rdap_bootstrap::Parse(text);
    std::vector<TBlock> blocks;
    std::vector<std::string> bases;
    for (const json& service : root.at("services")) {
        const std::string base = rdap_bootstrap::HttpsBase(service[1]);
        if (!base.empty()) bases.push_back(base);
        for (const json& entry : service[0]) {
            TBlock block{0, 0, base.empty() ? -1 : static_cast<int>(bases.size() - 1)};
            if (!entry.is_string() || !ParseNumberBlock(FFamily, entry.get_ref<const std::string&>(), block.First, block.Last))
                rdap_bootstrap::Damaged(FFamily == TNumberFamily::Asn ? "an entry is not a range of AS numbers"
                                                                      : "an entry is not an address prefix of its family");
            blocks.push_back(block);
        }
    }
    std::vector<TRdapNumber> starts;
    std::vector<int> baseOf;
    if (!blocks.empty()) Segment(blocks, starts, baseOf);
    FPublication = rdap_bootstrap::Publication(root);
    FStarts = std::move(starts);
    FBaseOf = std::move(baseOf);
    FBases = std::move(bases);
}

const std::string& TRdapNumberBootstrap::BaseUrlFor(TRdapNumber number) const
{
    static const std::string none;
    const auto after = std::upper_bound(FStarts.begin(), FStarts.end(), number);
    if (after == FStarts.begin()) return none;
    const int base = FBaseOf[static_cast<size_t>(after - FStarts.begin()) - 1];
    return base < 0 ? none : FBases[static_cast<size_t>(base)];
}
