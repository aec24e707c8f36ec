#include "cli/recording_window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// What a 429's Retry-After makes the list wait, in seconds; -1 for no wait at all (limited).
TEST(RetryWait, SecondsOrADateWithinAMinute)
{
    const std::vector<std::pair<std::string, int>> cases = {
        {"0", 0}, {"1", 1}, {"60", 60}, {"61", -1}, {"120", -1}, {"", -1}, {"-1", -1}, {" 5", -1}, {"soon", -1},
        {"Thu, 01 Jan 1970 00:00:00 GMT", 0}, {"Fri, 31 Dec 9999 23:59:59 GMT", -1}};
    for (const auto& [header, wait] : cases) EXPECT_EQ(wait, RetryWait(header).value_or(-1)) << header;
}

}  // namespace
