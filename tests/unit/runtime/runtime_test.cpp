#include "runtime/codepage.h"
#include "runtime/exception.h"
#include "runtime/files.h"
#include "runtime/integer.h"
#include "runtime/text.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

TEST(IntegerRules, AcceptsDecimalHexSignsAndLeadingBlanks)
{
    const struct { const char* text; int32_t value; } cases[] = {
        {"0", 0},          {"43", 43},        {"  4343", 4343}, {"+7", 7},          {"-12", -12},
        {"$1F", 31},       {"x10", 16},       {"X10", 16},      {"0x7f", 127},      {"0X7F", 127},
        {"-$10", -16},     {"2147483647", 2147483647},          {"-2147483648", INT32_MIN},
    };
    for (const auto& c : cases) {
        int32_t value = 0;
        EXPECT_TRUE(TryStrToInt(c.text, value)) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
}

TEST(IntegerRules, RefusesTrailingCharactersEmptyTextAndOverflow)
{
    for (const char* text : {"", " ", "+", "-", "$", "0x", "12 ", "1.5", "abc", "2147483648", "-2147483649", "0x1G"}) {
        int32_t value = 99;
        EXPECT_FALSE(TryStrToInt(text, value)) << text;
        EXPECT_EQ(StrToIntDef(text, -1), -1) << text;
    }
    try {
        StrToInt("4a");
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'4a' is not a valid integer value");
    }
}

TEST(TextRules, TrimDropsControlCharactersAndBlanksOnly)
{
    EXPECT_EQ(Trim("\t\r\n x.fr \x01"), "x.fr");
    EXPECT_EQ(Trim("\xA0x\xA0"), "\xA0x\xA0");
    EXPECT_EQ(Trim(""), "");
    EXPECT_EQ(LowerCase("AbC\xC9"), "abc\xC9");
    EXPECT_TRUE(AnsiSameText("\xC9T\xC9", "\xE9t\xE9"));
    EXPECT_FALSE(SameText("ab", "abc"));
    EXPECT_EQ(ReplaceAll("$T$-$T$", "$T$", "a$T$"), "a$T$-a$T$");
}

TEST(TextRules, SplitLinesFollowsTheLineBreakRules)
{
    using Lines = std::vector<std::string>;
    EXPECT_EQ(SplitLines(""), Lines{});
    EXPECT_EQ(SplitLines("\r\n"), Lines{""});
    EXPECT_EQ(SplitLines("a\r\nb\nc\rd"), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\r\r\nb\n"), (Lines{"a", "", "b"}));
    EXPECT_EQ(SplitLines(std::string("a\nb\0c\nd", 7)), (Lines{"a", "b"}));
}

TEST(Files, MissingAndUnwritableFilesRaiseTheirMessages)
{
    EXPECT_THROW(ReadFileBytes("/nonexistent/whois.dat"), EFOpenError);
    try {
        WriteFileBytes("/nonexistent/x.txt", "a");
        FAIL();
    } catch (const EFCreateError& e) {
        EXPECT_STREQ(e.what(), "Cannot create file /nonexistent/x.txt");
    }
    char dir[] = "/tmp/norvane-files-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string path = std::string(dir) + "/f.dat";
    WriteFileBytes(path, std::string("a\0b", 3));
    ReplaceFileAtomically(path, "new\r\n");
    EXPECT_EQ(ReadFileBytes(path), "new\r\n");
    EXPECT_FALSE(CreateFileAtomically(path, "other"));  // and creation when absent, at start
    EXPECT_EQ(ReadFileBytes(path), "new\r\n");
    unlink(path.c_str());
    rmdir(dir);
}

TEST(CodePage, MapsTheHighControlRangeUnlikeLatin1)
{
    EXPECT_EQ(Cp1252ToUtf8("\xE9\x80\x9F"), "\xC3\xA9\xE2\x82\xAC\xC5\xB8");
    EXPECT_EQ(Utf8ToCp1252("\xC3\xA9\xE2\x82\xAC\xC5\xB8"), "\xE9\x80\x9F");
    EXPECT_EQ(Utf8ToCp1252("\xE4\xB8\xAD"), "?");
    EXPECT_EQ(Utf8ToCp1252("\xC3"), "\xC3");
}

}  // namespace
