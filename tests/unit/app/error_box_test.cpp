#include "app/error_box.h"

#include <gtest/gtest.h>

namespace {

TEST(StandardErrorBox, AppendsAFullStopWhenTheLastCharacterSortsAfterIt)
{
    const struct {
        const char* message;
        const char* shown;
    } cases[] = {
        {"", ""},
        {"Adresse invalide!", "Adresse invalide!"},  // '!' sorts before '.'
        {"Cannot open file /data/whois.dat", "Cannot open file /data/whois.dat."},
        {"Connection Closed Gracefully.", "Connection Closed Gracefully."},
        {"dash-", "dash-"},
        {"slash/", "slash/."},  // '/' is the first character after '.'
        {"9", "9."},
        {"Socket Error # 10061\r\nConnection refused", "Socket Error # 10061\r\nConnection refused."},
        {"line break\r\n", "line break\r\n"},
        {"d\xE9j\xE0", "d\xE9j\xE0."},  // code-page letters sort after '.' too
    };
    for (const auto& c : cases) EXPECT_EQ(StandardErrorText(c.message), c.shown) << c.message;
}

TEST(StandardErrorBox, CaptionIsTheExecutableNameUpToItsFirstDot)
{
    const struct {
        const char* path;
        const char* title;
    } cases[] = {
        {"/usr/local/bin/norvane", "norvane"},  // the first letter keeps its case
        {"/opt/NORVANE.EXE", "Norvane"},
        {"/home/a.b/NvTool.tar.gz", "Nvtool"},  // dots of the directories do not count
        {"norvane", "norvane"},
        {"/x/q", "q"},
        {"/x/\xC9T\xC9.exe", "\xC9t\xE9"},  // the code page's capitals are letters too
        {"/x/A\x8A\x8C\x8E\x9F\xD7\xDE", "A\x9A\x9C\x9E\xFF\xD7\xFE"},  // but the multiplication sign is none
        {"/x/.hidden", ""},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(ApplicationTitle(c.path), c.title) << c.path;
}

}  // namespace
