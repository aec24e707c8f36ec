#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A number an RDAP registry is asked about: an address (IPv4 in the low 32 bits) or an
// AS number, as one unsigned 128-bit value.
__extension__ typedef unsigned __int128 TRdapNumber;

// The family of a bootstrap file for numbers (RFC 9224): which registry holds a block of
// IPv4 or IPv6 addresses ("a.b.c.d/len", "x:y::/len") or a range of AS numbers ("a-b").
enum class TNumberFamily { Ipv4, Ipv6, Asn };

// Holds the blocks of one such file, made at load into a sorted table of disjoint
// segments, each with the https base URL of the most specific block covering it: a
// lookup is one binary search, whatever the file's order or overlaps.
class TRdapNumberBootstrap {
public:
    explicit TRdapNumberBootstrap(TNumberFamily family) : FFamily(family) {}

    // Replaces what is held by the services of the JSON text; raises ERdapBootstrapError
    // (and holds nothing) when the text is not a bootstrap file of this family.
    void Load(std::string_view json);
    void Clear();

    TNumberFamily Family() const { return FFamily; }
    bool Empty() const { return FStarts.empty(); }
    // The base URL (ending with "/") of the registry holding the number, "" when none.
    const std::string& BaseUrlFor(TRdapNumber number) const;
    // The file's "publication" member, as written ("" when absent).
    const std::string& Publication() const { return FPublication; }

private:
    TNumberFamily FFamily;
    std::vector<TRdapNumber> FStarts;  // ascending; segment i runs up to FStarts[i + 1] - 1
    std::vector<int> FBaseOf;          // index into FBases, -1 where no block holds it
    std::vector<std::string> FBases;
    std::string FPublication;
};

// The block a text names, as the first and last number it holds; false for text that is
// no block of the family (a prefix's host bits are ignored).
bool ParseNumberBlock(TNumberFamily family, std::string_view text, TRdapNumber& first, TRdapNumber& last);
// An address of the family in its usual text form (dotted quad, or IPv6 with "::" and
// an optional dotted quad at its end); false for anything else.
bool ParseIpAddress(TNumberFamily family, std::string_view text, TRdapNumber& number);
