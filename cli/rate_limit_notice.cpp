// Replies by which a whois server says it will answer no more for a while. Each phrasing
// comes from the notices of the registries named beside it; they are matched in small
// letters anywhere in a line.
#include "cli/registration.h"

#include "runtime/text.h"

namespace {

constexpr std::string_view kPhrasings[] = {
    "limit exceeded",                    // .org and .info ("WHOIS LIMIT EXCEEDED"), .br ("Query
                                         // rate limit exceeded. Reduced information.")
    "access control limit reached",      // .de ("Connection refused; access control limit reached")
    "access is too fast",                // .cn ("Your access is too fast,please try again later.")
    "exceeded allowed connection rate",  // .ru and .su ("You have exceeded allowed connection rate")
    "too many queries",                  // several country-code registries ("Too many queries")
    "%error:201: access denied",         // the European address registry's database, and the
                                         // domain registries that run its layout
};

// Longer lines are data, not a notice; not looking at them keeps the scan linear.
constexpr size_t kLongestNotice = 400;

}  // namespace

std::string RateLimitNotice(std::string_view whoisReply)
{
    std::string found;
    ForEachLine(whoisReply, [&](std::string_view line) {
        if (!found.empty() || line.size() > kLongestNotice) return;
        const std::string lower = LowerCase(line);
        for (const std::string_view phrasing : kPhrasings)
            if (lower.find(phrasing) != std::string::npos) {
                found = Trim(line);
                return;
            }
    });
    return found;
}
