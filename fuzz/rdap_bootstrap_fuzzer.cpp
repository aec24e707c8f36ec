// Reads arbitrary bytes as rdap.json. Either ERdapBootstrapError leaves nothing held, or
// every extension it answers for has an https base URL ending with "/"; letter case of the
// extension never matters.
#include "rdap/bootstrap.h"
#include "rdap/rdap_error.h"
#include "fuzz/fail_if.h"

#include <cctype>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    TRdapBootstrap bootstrap;
    try {
        bootstrap.Load(text);
    } catch (const ERdapBootstrapError&) {
        FailIf(!bootstrap.Empty() || !bootstrap.Publication().empty());
        return 0;
    }
    // The strings of the input are the likely extensions: try each quoted piece.
    for (size_t open = text.find('"'); open != std::string_view::npos && open + 1 < text.size();) {
        const size_t close = text.find('"', open + 1);
        if (close == std::string_view::npos) break;
        std::string extension(text.substr(open + 1, close - open - 1));
        const std::string base = bootstrap.BaseUrlFor(extension);
        if (!base.empty()) {
            std::string scheme = base.substr(0, 8);
            for (char& c : scheme) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            FailIf(scheme != "https://" || base.size() < 9 || base.back() != '/');
        }
        for (char& c : extension) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        FailIf(bootstrap.BaseUrlFor(extension) != base);
        open = text.find('"', close + 1);
    }
    return 0;
}
