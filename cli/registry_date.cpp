#include "cli/registry_date.h"

#include <array>
#include <cstdio>

namespace {

struct TDay {
    int Year = 0, Month = 0, Day = 0;
};

// Reads the text left to right; every method leaves the position unchanged when it fails.
class TReader {
public:
    explicit TReader(std::string_view text) : FText(text) {}

    bool AtEnd() const { return FAt == FText.size(); }
    char Peek() const { return AtEnd() ? '\0' : FText[FAt]; }
    bool Take(char c)
    {
        if (Peek() != c) return false;
        ++FAt;
        return true;
    }
    bool TakeWord(std::string_view word)
    {
        if (FText.substr(FAt, word.size()) != word) return false;
        FAt += word.size();
        return true;
    }
    void SkipBlanks()
    {
        while (Peek() == ' ' || Peek() == '\t') ++FAt;
    }
    // A run of digits of a length in [min, max] (the run must end there).
    bool Number(size_t min, size_t max, int& value)
    {
        size_t n = 0;
        while (FAt + n < FText.size() && IsDigit(FText[FAt + n])) ++n;
        if (n < min || n > max) return false;
        value = 0;
        for (size_t i = 0; i < n; ++i) value = value * 10 + (FText[FAt + i] - '0');
        FAt += n;
        return true;
    }
    // A fraction of a second, however long: the date keeps whole seconds.
    void SkipDigits() { FAt += DigitRun(); }
    size_t DigitRun() const
    {
        size_t n = 0;
        while (FAt + n < FText.size() && IsDigit(FText[FAt + n])) ++n;
        return n;
    }
    // The letters from here on, lower-cased.
    std::string Letters()
    {
        std::string word;
        while (IsLetter(Peek())) word += static_cast<char>(Peek() | 0x20), ++FAt;
        return word;
    }
    size_t Position() const { return FAt; }
    void Rewind(size_t at) { FAt = at; }

private:
    static bool IsDigit(char c) { return c >= '0' && c <= '9'; }
    static bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
    std::string_view FText;
    size_t FAt = 0;
};

constexpr std::array<const char*, 12> kMonths = {"jan", "feb", "mar", "apr", "may", "jun",
                                                 "jul", "aug", "sep", "oct", "nov", "dec"};

int MonthNamed(const std::string& word)
{
    if (word.size() < 3) return 0;
    for (size_t i = 0; i < kMonths.size(); ++i)
        if (word.compare(0, 3, kMonths[i]) == 0) return static_cast<int>(i) + 1;
    return 0;
}

bool LeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

bool Valid(const TDay& d)
{
    static constexpr int kLength[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (d.Year < 1000 || d.Year > 9999 || d.Month < 1 || d.Month > 12 || d.Day < 1) return false;
    return d.Day <= kLength[d.Month - 1] + (d.Month == 2 && LeapYear(d.Year) ? 1 : 0);
}

// Days since 1970-01-01 of a proleptic Gregorian date.
int64_t DaysFromCivil(int year, int month, int day)
{
    const int y = year - (month <= 2 ? 1 : 0);
    const int era = y / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return static_cast<int64_t>(era) * 146097 + doe - 719468;
}

// 2026-12-01, 2026.12.01, 2026/12/01, "2026. 12. 01.", 20261201.
bool YearFirst(TReader& r, TDay& d)
{
    if (r.DigitRun() == 8) {
        int all = 0;
        r.Number(8, 8, all);
        d = {all / 10000, all / 100 % 100, all % 100};
        return true;
    }
    if (!r.Number(4, 4, d.Year)) return false;
    const char sep = r.Peek();
    if (sep != '-' && sep != '.' && sep != '/') return false;
    r.Take(sep);
    if (sep == '.') r.SkipBlanks();
    if (!r.Number(1, 2, d.Month) || !r.Take(sep)) return false;
    if (sep == '.') r.SkipBlanks();
    if (!r.Number(1, 2, d.Day)) return false;
    if (sep == '.') r.Take('.');
    return true;
}

// 01-Dec-2026, 01 Dec 2026, 01-December-2026, 01.12.2026. Never 01/12/2026: which is
// the month depends on the registry's country.
bool DayFirst(TReader& r, TDay& d)
{
    if (!r.Number(1, 2, d.Day)) return false;
    const char sep = r.Peek();
    if (sep == '.') {
        r.Take('.');
        return r.Number(1, 2, d.Month) && r.Take('.') && r.Number(4, 4, d.Year);
    }
    if (sep != '-' && sep != ' ') return false;
    r.Take(sep);
    d.Month = MonthNamed(r.Letters());
    return d.Month != 0 && r.Take(sep) && r.Number(4, 4, d.Year);
}

// HH:MM[:SS[.fraction]] after "T" or blanks; nothing read when none follows.
bool Time(TReader& r, int64_t& seconds)
{
    const size_t start = r.Position();
    if (!r.Take('T')) r.SkipBlanks();
    int h = 0, m = 0, s = 0;
    if (!r.Number(1, 2, h)) {
        r.Rewind(start);
        return true;
    }
    if (!r.Take(':') || !r.Number(2, 2, m)) return false;
    if (r.Take(':')) {
        if (!r.Number(2, 2, s)) return false;
        if (r.Take('.') || r.Take(',')) r.SkipDigits();
    }
    if (h > 23 || m > 59 || s > 60) return false;
    seconds = h * 3600 + m * 60 + (s == 60 ? 59 : s);
    return true;
}

// +HH:MM, +HHMM or +HH, as seconds east of UTC.
bool Offset(TReader& r, int64_t& east)
{
    const int sign = r.Take('+') ? 1 : r.Take('-') ? -1 : 0;
    if (sign == 0) return false;
    int h = 0, m = 0;
    if (r.DigitRun() == 4) {
        int both = 0;
        r.Number(4, 4, both);
        h = both / 100, m = both % 100;
    } else {
        if (!r.Number(1, 2, h)) return false;
        if (r.Take(':') && !r.Number(2, 2, m)) return false;
    }
    if (h > 14 || m > 59) return false;
    east = sign * (h * 3600 + m * 60);
    return true;
}

// Z, UTC, GMT, an offset, "UTC+8", "(UTC+8)"; then the end of the text.
bool Zone(TReader& r, int64_t& east)
{
    r.SkipBlanks();
    east = 0;
    const bool paren = r.Take('(');
    if (r.Take('Z') || r.TakeWord("UTC") || r.TakeWord("GMT")) {
        if (r.Peek() == '+' || r.Peek() == '-') {
            if (!Offset(r, east)) return false;
        }
    } else if (r.Peek() == '+' || r.Peek() == '-') {
        if (!Offset(r, east)) return false;
    } else if (paren) {
        return false;
    }
    if (paren && !r.Take(')')) return false;
    r.SkipBlanks();
    return r.AtEnd();
}

}  // namespace

std::optional<int64_t> ReadRegistryDate(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
    TReader r(text);
    TDay day;
    if (!YearFirst(r, day)) {
        r.Rewind(0);
        if (!DayFirst(r, day)) return std::nullopt;
    }
    int64_t time = 0, east = 0;
    if (!Valid(day) || !Time(r, time) || !Zone(r, east)) return std::nullopt;
    const int64_t seconds = DaysFromCivil(day.Year, day.Month, day.Day) * 86400 + time - east;
    // A zone may not carry the date out of the years read.
    if (seconds < DaysFromCivil(1000, 1, 1) * 86400 || seconds >= DaysFromCivil(10000, 1, 1) * 86400) return std::nullopt;
    return seconds;
}

std::string IsoUtc(int64_t seconds)
{
    int64_t days = seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
    const int64_t rest = seconds - days * 86400;
    // Civil date from days since 1970-01-01.
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t doe = days - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int64_t day = doy - (153 * mp + 2) / 5 + 1;
    const int64_t month = mp < 10 ? mp + 3 : mp - 9;
    const int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
    char out[96];
    std::snprintf(out, sizeof out, "%04lld-%02lld-%02lldT%02lld:%02lld:%02lldZ", static_cast<long long>(year),
                  static_cast<long long>(month), static_cast<long long>(day), static_cast<long long>(rest / 3600),
                  static_cast<long long>(rest / 60 % 60), static_cast<long long>(rest % 60));
    return out;
}

int64_t DaysBetween(int64_t now, int64_t then)
{
    const int64_t diff = then - now;
    return diff >= 0 ? diff / 86400 : -((-diff + 86399) / 86400);
}
