#include "app/lookup_name.h"

#include "platform/idna.h"
#include "runtime/codepage.h"
#include "runtime/text.h"

#include <algorithm>

namespace {

bool HoldsControlCharacter(std::string_view text)
{
    return std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 32 || c == 127; });
}

std::optional<std::string> Checked(std::string text)
{
    if (HoldsControlCharacter(text)) return std::nullopt;
    return text;
}

}  // namespace

std::optional<std::string> LookupName(std::string_view typed)
{
    const std::optional<std::string> ascii = AsciiDomainName(Trim(typed));
    if (!ascii) return std::nullopt;
    return Checked(Trim(*ascii));
}

std::optional<std::string> ByHandQuery(std::string_view typed)
{
    const std::string text = Trim(typed);
    if (text.find(' ') == std::string::npos)
        if (const std::optional<std::string> ascii = LookupName(text)) return ascii;
    return Checked(Utf8ToCp1252(text));
}
