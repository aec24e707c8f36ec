#include "platform/idna.h"

#include <idn2.h>

#include <algorithm>
#include <memory>

namespace {

bool IsAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

std::optional<std::string> AsciiDomainName(std::string_view name)
{
    if (IsAscii(name)) return std::string(name);
    // The library reads up to a NUL: a name holding one would be cut short, not converted.
    if (name.find('\0') != std::string_view::npos) return std::nullopt;
    const std::string input(name);
    uint8_t* output = nullptr;
    const int status = idn2_lookup_u8(reinterpret_cast<const uint8_t*>(input.c_str()), &output,
                                      IDN2_NFC_INPUT | IDN2_NONTRANSITIONAL);
    const std::unique_ptr<uint8_t, decltype(&idn2_free)> owned(output, &idn2_free);
    if (status != IDN2_OK || output == nullptr) return std::nullopt;
    return std::string(reinterpret_cast<const char*>(output));
}
