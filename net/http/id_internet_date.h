#pragma once
#include <ctime>
#include <string>

// Dates as the headers of a reply carry them ("Sun, 06 Nov 1994 08:49:37 GMT",
// "06 Nov 94 08:49 +0100"), turned into local time as days since 1899-12-30.

// The date and time of the text, without its zone; 0 when the text is no readable date.
double InternetDateToDateTime(const std::string& text);

// "+hhmm" or "-hhmm" in days; 0 for anything else.
double ZoneOffsetToDays(const std::string& zone);

// The whole conversion: the date, less its zone, plus the local offset from UTC in force
// at `now` (daylight saving included). Never fails on the text; raises EIdException
// "Failed attempting to retrieve time zone information." when the local zone is unknown.
double InternetDateToLocal(const std::string& text);
double InternetDateToLocal(const std::string& text, std::time_t now);

// Building blocks, shared with the tests: calendar date to days, and back.
bool TryEncodeDate(int year, int month, int day, double& days);
bool TryEncodeTime(int hours, int minutes, int seconds, double& days);
