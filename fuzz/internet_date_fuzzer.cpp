// Reads arbitrary bytes as the date of a reply header. A date is 0 or lies within the
// years 1 to 9999, a zone is less than a day, and the local time differs from the date by
// the zone and the local offset only.
#include "net/http/id_internet_date.h"
#include "net/socket/id_exceptions.h"
#include "fuzz/fail_if.h"

#include <cmath>
#include <cstdint>
#include <string>

namespace {

// 0001-01-01 and 10000-01-01 as days since 1899-12-30.
constexpr double kFirstDay = -693593;
constexpr double kEndDay = 2958466;
// A fixed moment, so that a run does not depend on the clock.
constexpr std::time_t kNow = 1700000000;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const double date = InternetDateToDateTime(text);
    FailIf(!std::isfinite(date));
    FailIf(date != 0 && (date < kFirstDay || date >= kEndDay));

    FailIf(std::fabs(ZoneOffsetToDays(text)) >= 1);

    try {
        const double local = InternetDateToLocal(text, kNow);
        // The zone and the local offset each stay under a day.
        FailIf(!std::isfinite(local) || std::fabs(local - date) >= 2);
    } catch (const EIdException&) {
        // The local zone is unknown: the conversion's own failure.
    }
    return 0;
}
