#include "net/http/id_internet_date.h"

#include "net/socket/id_exceptions.h"
#include "runtime/integer.h"
#include "runtime/text.h"

#include <array>
#include <cctype>

namespace {

// Days from 0001-01-01 to 1899-12-30, the zero of the date values.
constexpr int kDateDelta = 693594;
constexpr double kSecondsPerDay = 86400.0;

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(int year, int month)
{
    static constexpr std::array<int, 12> days{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[static_cast<size_t>(month - 1)];
}

// Takes the text up to the first `delimiter` out of `text`, the delimiter with it.
std::string Fetch(std::string& text, char delimiter = ' ')
{
    const size_t at = text.find(delimiter);
    std::string head = text.substr(0, at);
    text.erase(0, at == std::string::npos ? text.size() : at + 1);
    return head;
}

template <size_t N>
int NameIndex(const std::string& word, const std::array<const char*, N>& names)
{
    const std::string upper = UpperCase(word);
    for (size_t i = 0; i < N; ++i)
        if (upper == names[i]) return static_cast<int>(i) + 1;
    return 0;
}

const std::array<const char*, 12> kMonths{"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                          "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
const std::array<const char*, 7> kWeekdays{"SUN", "MON", "TUE", "WED", "THU", "FRI", "SAT"};

// Reads the date and the time; what follows them (the zone) is left in `text`.
double ParseDateTime(std::string& text)
{
    text = Trim(text);
    if (text.empty()) return 0;
    if (NameIndex(text.substr(0, 3), kWeekdays) > 0) Fetch(text);

    text = TrimLeft(text);
    const int day = StrToIntDef(Fetch(text), 1);
    text = TrimLeft(text);
    const int month = NameIndex(Fetch(text), kMonths);
    text = TrimLeft(text);
    int year = StrToIntDef(Fetch(text), 1900);
    if (year < 80)
        year += 2000;
    else if (year < 100)
        year += 1900;
    double date = 0;
    bool valid = TryEncodeDate(year, month, day, date);

    if (text.find(':') != std::string::npos) {
        text = TrimLeft(text);
        std::string time = Fetch(text);
        const int hours = StrToIntDef(Fetch(time, ':'), 0);
        const int minutes = StrToIntDef(Fetch(time, ':'), 0);
        const int seconds = StrToIntDef(time, 0);
        double fraction = 0;
        valid = TryEncodeTime(hours, minutes, seconds, fraction) && valid;
        date += fraction;
    }
    return valid ? date : 0;
}

double LocalOffsetDays(std::time_t now)
{
    tzset();
    std::tm local{};
    if (localtime_r(&now, &local) == nullptr)
        throw EIdException("Failed attempting to retrieve time zone information.");
    return static_cast<double>(local.tm_gmtoff) / kSecondsPerDay;
}

}  // namespace

bool TryEncodeDate(int year, int month, int day, double& days)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return false;
    int count = 0;
    for (int m = 1; m < month; ++m) count += DaysInMonth(year, m);
    const int before = year - 1;
    count += before * 365 + before / 4 - before / 100 + before / 400 + day;
    days = count - kDateDelta;
    return true;
}

bool TryEncodeTime(int hours, int minutes, int seconds, double& days)
{
    if (hours < 0 || hours > 23 || minutes < 0 || minutes > 59 || seconds < 0 || seconds > 59) return false;
    days = (hours * 3600 + minutes * 60 + seconds) / kSecondsPerDay;
    return true;
}

double InternetDateToDateTime(const std::string& text)
{
    std::string rest = text;
    return ParseDateTime(rest);
}

double ZoneOffsetToDays(const std::string& zone)
{
    if (zone.size() < 5 || (zone[0] != '+' && zone[0] != '-')) return 0;
    for (size_t i = 1; i < 5; ++i)
        if (!std::isdigit(static_cast<unsigned char>(zone[i]))) return 0;
    const int hours = (zone[1] - '0') * 10 + (zone[2] - '0');
    const int minutes = (zone[3] - '0') * 10 + (zone[4] - '0');
    double days = 0;
    if (!TryEncodeTime(hours, minutes, 0, days)) return 0;
    return zone[0] == '-' ? -days : days;
}

double InternetDateToLocal(const std::string& text, std::time_t now)
{
    std::string rest = text;
    const double parsed = ParseDateTime(rest);
    rest = TrimLeft(rest);
    const double zone = rest.size() > 4 ? ZoneOffsetToDays(rest.substr(0, 5)) : 0;
    return parsed - zone + LocalOffsetDays(now);
}

double InternetDateToLocal(const std::string& text) { return InternetDateToLocal(text, std::time(nullptr)); }
