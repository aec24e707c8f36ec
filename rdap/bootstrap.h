#pragma once
#include <string>
#include <string_view>
#include <unordered_map>

// The RDAP bootstrap for domains (RFC 9224): which server answers for an extension.
// Holds one https base URL per extension, ending with "/"; servers offered over plain
// http only are left out, since requests go over https alone.
class TRdapBootstrap {
public:
    // Replaces what is held by the services of the JSON text; raises ERdapBootstrapError
    // (and holds nothing) when the text is not a bootstrap file.
    void Load(std::string_view json);
    void Clear();
    // Takes the servers of `overrides` in, replacing those held for the same extensions
    // (a local file read after the published one); the publication stays.
    void Override(const TRdapBootstrap& overrides);

    bool Empty() const { return FBases.empty(); }
    // The base URL for an extension (letter case ignored), "" when none.
    std::string BaseUrlFor(std::string_view extension) const;
    // The file's "publication" member, as written ("" when absent).
    const std::string& Publication() const { return FPublication; }

private:
    std::unordered_map<std::string, std::string> FBases;
    std::string FPublication;
};
