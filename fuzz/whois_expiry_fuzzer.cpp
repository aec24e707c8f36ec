// Reads arbitrary bytes as a whois reply and as a registry's date. A date read is one the
// reader gives back the same from its own ISO form, within the years it accepts; the lists
// stay bounded; a rate-limit notice is one of the reply's lines.
#include "cli/registration.h"
#include "cli/registry_date.h"
#include "fuzz/fail_if.h"

#include <cstdint>
#include <string>

namespace {

// 1000-01-01 and 10000-01-01, in seconds since 1970.
constexpr int64_t kFirst = -30610224000;
constexpr int64_t kEnd = 253402300800;

void CheckDate(const std::optional<int64_t>& date)
{
    if (!date) return;
    FailIf(*date < kFirst || *date >= kEnd);
    FailIf(ReadRegistryDate(IsoUtc(*date)) != date);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    CheckDate(ReadRegistryDate(text));

    const TRegistration r = RegistrationFromWhois(text);
    CheckDate(r.Created);
    CheckDate(r.Updated);
    CheckDate(r.Expires);
    FailIf(r.Statuses.size() > 32 || r.NameServers.size() > 32);
    for (const std::string& field : {r.Registrar, r.Dnssec, r.AbuseEmail}) FailIf(field.size() > size);

    const std::string notice = RateLimitNotice(text);
    FailIf(!notice.empty() && text.find(notice) == std::string::npos);
    return 0;
}
