#include "net/http/id_internet_date.h"
#include "net/http/id_uri.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

namespace {

TEST(SplitUrl, FollowsTheSplittingRules)
{
    const struct { const char* url; TIdURI parts; } cases[] = {
        {"update-whois.php?date=20261208&name=dns", {"", "", "", "/", "update-whois.php?date=20261208&name=dns", ""}},
        {"http://www.norvane.example/", {"http", "www.norvane.example", "", "/", "", ""}},
        {"http://www.norvane.example", {"http", "www.norvane.example", "", "/", "", ""}},
        {"http://127.0.0.1:8080/a/b/c.php?x=1", {"http", "127.0.0.1", "8080", "/a/b/", "c.php?x=1", ""}},
        {"a/b.php?x=1#top", {"", "", "", "/a/", "b.php?x=1", "top"}},
        {"/abs/path", {"", "", "", "/abs/", "path", ""}},
        {"http:\\\\host\\dir\\file", {"http", "host", "", "/dir/", "file", ""}},
        {"q.php?date=2026/12/08&name=dns", {"", "", "", "/q.php?date=2026/12/", "08&name=dns", ""}},
        // A "#" ends the target even when a "/" follows it.
        {"q.php?date=a#b/c&name=dns", {"", "", "", "/", "q.php?date=a", "b/c&name=dns"}},
        {"x#y#z", {"", "", "", "/", "x", "y#z"}},
        {"", {"", "", "", "/", "", ""}},
        {"HTTP://H:notaport/x", {"HTTP", "H", "notaport", "/", "x", ""}},
        {"http://[::1]:8080/u.php", {"http", "::1", "8080", "/", "u.php", ""}},
        {"http://[fd00::5]/", {"http", "fd00::5", "", "/", "", ""}},
    };
    for (const auto& c : cases) {
        const TIdURI got = SplitUrl(c.url);
        EXPECT_EQ(got.Protocol, c.parts.Protocol) << c.url;
        EXPECT_EQ(got.Host, c.parts.Host) << c.url;
        EXPECT_EQ(got.Port, c.parts.Port) << c.url;
        EXPECT_EQ(got.Path, c.parts.Path) << c.url;
        EXPECT_EQ(got.Resource, c.parts.Resource) << c.url;
        EXPECT_EQ(got.Fragment, c.parts.Fragment) << c.url;
    }
}

double Days(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    double date = 0, time = 0;
    EXPECT_TRUE(TryEncodeDate(y, mo, d, date));
    EXPECT_TRUE(TryEncodeTime(h, mi, s, time));
    return date + time;
}

TEST(InternetDate, CalendarArithmeticMatchesKnownDays)
{
    EXPECT_EQ(Days(1899, 12, 30), 0);
    EXPECT_EQ(Days(1900, 1, 1), 2);
    EXPECT_EQ(Days(2000, 3, 1), 36586);
    EXPECT_EQ(Days(1, 1, 1), -693593);
    double ignored = 0;
    EXPECT_FALSE(TryEncodeDate(2023, 2, 29, ignored));
    EXPECT_TRUE(TryEncodeDate(2024, 2, 29, ignored));
    EXPECT_FALSE(TryEncodeDate(1900, 2, 29, ignored));
    EXPECT_FALSE(TryEncodeDate(10000, 1, 1, ignored));
    EXPECT_FALSE(TryEncodeTime(24, 0, 0, ignored));
    EXPECT_FALSE(TryEncodeTime(0, 60, 0, ignored));
}

TEST(InternetDate, ReadsTheCommonFormsAndFallsBackToZero)
{
    const struct { const char* text; double days; } cases[] = {
        {"Sun, 06 Nov 1994 08:49:37 GMT", Days(1994, 11, 6, 8, 49, 37)},
        {"Sunday, 06 Nov 1994 08:49:37 GMT", Days(1994, 11, 6, 8, 49, 37)},
        {"  06   nov 1994 08:49:37", Days(1994, 11, 6, 8, 49, 37)},
        {"6 Nov 94 08:49 +0100", Days(1994, 11, 6, 8, 49)},
        {"6 Nov 79", Days(2079, 11, 6)},
        {"6 Nov 80", Days(1980, 11, 6)},
        {"6 Nov -5", Days(1995, 11, 6)},    // every year below 80 takes 2000 more
        {"xx Nov 1994", Days(1994, 11, 1)},  // a day that is no number counts as 1
        {"6 Nov", Days(1900, 11, 6)},        // no year: 1900
        {"6 Nov 1994 aa:bb:cc", Days(1994, 11, 6)},
        {"Mon, 01 Jan 2024 23:59:59", Days(2024, 1, 1, 23, 59, 59)},
        {"", 0},
        {"garbage", 0},
        {"31 Feb 2020 10:00:00", 0},
        {"01 Foo 2020", 0},
        {"01 Jan 2020 25:00:00", 0},
        {"-1 Jan 2020", 0},
    };
    for (const auto& c : cases) EXPECT_NEAR(InternetDateToDateTime(c.text), c.days, 1e-9) << c.text;
}

TEST(InternetDate, ZonesAreSignedHoursAndMinutes)
{
    const struct { const char* zone; double days; } cases[] = {
        {"+0100", 1 / 24.0}, {"-0530", -5.5 / 24}, {"+2359", (23 * 60 + 59) / 1440.0},
        {"GMT", 0},          {"+2400", 0},         {"+01x0", 0}, {"0100x", 0}, {"+01", 0},
    };
    for (const auto& c : cases) EXPECT_NEAR(ZoneOffsetToDays(c.zone), c.days, 1e-9) << c.zone;
}

class LocalZone : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* previous = std::getenv("TZ");
        FPrevious = previous ? previous : "";
        FHadPrevious = previous != nullptr;
    }
    void TearDown() override
    {
        if (FHadPrevious)
            setenv("TZ", FPrevious.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    std::string FPrevious;
    bool FHadPrevious = false;
};

std::time_t UtcInstant(int y, int mo, int d)
{
    std::tm tm{};
    tm.tm_year = y - 1900;
    tm.tm_mon = mo - 1;
    tm.tm_mday = d;
    tm.tm_hour = 12;
    return timegm(&tm);
}

TEST_F(LocalZone, ResultIsLocalTimeWithDaylightSavingInForce)
{
    const std::string text = "Sun, 06 Nov 1994 08:49:37 +0200";
    const double utc = Days(1994, 11, 6, 6, 49, 37);

    setenv("TZ", "UTC0", 1);
    EXPECT_NEAR(InternetDateToLocal(text, UtcInstant(2026, 1, 15)), utc, 1e-9);

    // Central European rules: one hour in winter, two in summer.
    setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
    EXPECT_NEAR(InternetDateToLocal(text, UtcInstant(2026, 1, 15)), utc + 1 / 24.0, 1e-9);
    EXPECT_NEAR(InternetDateToLocal(text, UtcInstant(2026, 7, 15)), utc + 2 / 24.0, 1e-9);

    setenv("TZ", "EST5EDT,M3.2.0,M11.1.0", 1);
    EXPECT_NEAR(InternetDateToLocal(text, UtcInstant(2026, 7, 15)), utc - 4 / 24.0, 1e-9);
    // An unreadable date still gets the zone shift.
    EXPECT_NEAR(InternetDateToLocal("nonsense", UtcInstant(2026, 1, 15)), -5 / 24.0, 1e-9);
}

}  // namespace
