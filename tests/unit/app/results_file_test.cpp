// The results file byte for byte, the page's closing empty line, and the file names.
#include "app/results_file.h"
#include "runtime/exception.h"
#include "runtime/files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>

namespace {

class Window : public IResultsSource {
public:
    std::string Page;
    std::vector<TTreeLine> Tree;
    int PageChanges = 0;

    std::string MemoText() const override { return Page; }
    void SetMemoText(const std::string& text) override
    {
        Page = text;
        ++PageChanges;
    }
    std::vector<TTreeLine> TreeLines() const override { return Tree; }
};

class ResultsFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        char name[] = "/tmp/norvane-save-XXXXXX";
        FDir = mkdtemp(name);
        Path = FDir + "/out.txt";
    }
    void TearDown() override { std::system(("rm -rf '" + FDir + "'").c_str()); }

    std::string FDir;
    std::string Path;
};

TEST(ClosingEmptyLine, AddedOnlyWhenTheLastCountedLineHasText)
{
    const struct {
        const char* page;
        const char* after;
    } cases[] = {
        {"", ""},
        {"\r\n", "\r\n"},
        {"\r\n\r\n", "\r\n\r\n"},
        {"abc", "abc\r\n"},
        {"abc\r\n", "abc\r\n\r\n"},
        {"abc\r\n\r\n", "abc\r\n\r\n"},
        {"a\r\nb", "a\r\nb\r\n"},
        {"a\r\n\r\nb\r\n", "a\r\n\r\nb\r\n\r\n"},
        {"a\r", "a\r\r\n"},        // a lone CR is no line break
        {"a\n", "a\n\r\n"},        // nor is a lone LF
        {"a\r\r\n", "a\r\r\n\r\n"},
        {" ", " \r\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(WithClosingEmptyLine(c.page), c.after) << c.page;
}

TEST_F(ResultsFile, SavingAgainAndAgainSettlesOnOneEmptyLine)
{
    const struct {
        const char* page;
        std::vector<std::string> pagesAfterEachSave;
    } cases[] = {
        {"Domain: x.fr\r\n", {"Domain: x.fr\r\n\r\n", "Domain: x.fr\r\n\r\n"}},
        {"Domain: x.fr", {"Domain: x.fr\r\n", "Domain: x.fr\r\n\r\n", "Domain: x.fr\r\n\r\n"}},
    };
    for (const auto& c : cases) {
        Window window;
        window.Page = c.page;
        window.Tree = {{0, "root"}};
        for (const std::string& expected : c.pagesAfterEachSave) {
            SaveResults(window, Path);
            EXPECT_EQ(window.Page, expected);
            EXPECT_EQ(ReadFileBytes(Path), expected + "root\r\n");
        }
        EXPECT_EQ(window.PageChanges, static_cast<int>(c.pagesAfterEachSave.size()) - 1);
    }
}

TEST_F(ResultsFile, TreeLinesInOrderWithOneTabPerLevel)
{
    Window window;
    window.Page = "whois\r\n\r\n";
    window.Tree = {{0, "R\xE9ponse du DNS par d\xE9" "faut"}, {1, "first"}, {2, "grandchild"}, {1, "second"},
                   {0, "next root"}};
    SaveResults(window, Path);
    EXPECT_EQ(ReadFileBytes(Path), "whois\r\n\r\nR\xE9ponse du DNS par d\xE9" "faut\r\n\tfirst\r\n\t\tgrandchild\r\n"
                                   "\tsecond\r\nnext root\r\n");
}

TEST(ResultsFileContent, ThePageIsUtf8AndTheFileEitherCharset)
{
    // A page kept with its accents, one character the code page lacks, and a tree line.
    const std::string page = "holder: Soci\u00E9t\u00E9 \u0141\u00F3d\u017A \u20AC\r\n\r\n";
    const std::vector<TTreeLine> tree = {{1, "R\xE9ponse"}};
    EXPECT_EQ(ResultsFileContent(page, tree), "holder: Soci\xE9t\xE9 ?\xF3" "d? \x80\r\n\r\n\tR\xE9ponse\r\n");
    EXPECT_EQ(ResultsFileContent(page, tree, TFileEncoding::Utf8),
              "holder: Soci\u00E9t\u00E9 \u0141\u00F3d\u017A \u20AC\n\n\tR\u00E9ponse\n");
}

TEST_F(ResultsFile, NothingLookedUpWritesAnEmptyFileOverAnOldOne)
{
    WriteFileBytes(Path, "old content");
    Window window;
    SaveResults(window, Path);
    EXPECT_EQ(ReadFileBytes(Path), "");
    EXPECT_EQ(window.PageChanges, 0);
}

TEST_F(ResultsFile, FileThatCannotBeCreatedIsReportedAfterThePageChanged)
{
    Window window;
    window.Page = "abc";
    const std::string missing = FDir + "/no-such-dir/out.txt";
    try {
        SaveResults(window, missing);
        FAIL() << "no exception";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file " + missing);
    }
    EXPECT_EQ(window.Page, "abc\r\n");
}

TEST(FileNames, ProposedFromTheNameFieldAsItIs)
{
    const struct {
        const char* field;
        const char* proposed;
    } cases[] = {
        {"norvane.test", "norvane_test.txt"},
        {"www.example.co.uk", "www_example_co_uk.txt"},
        {"  example.fr ", "  example_fr .txt"},
        {"", ".txt"},
        {"noext", "noext.txt"},
    };
    for (const auto& c : cases) EXPECT_EQ(ProposedFileName(c.field), c.proposed) << c.field;
}

TEST(FileNames, TxtAddedOnlyWhenTheChosenNameHasNoExtension)
{
    const struct {
        const char* chosen;
        const char* saved;
    } cases[] = {
        {"/tmp/results", "/tmp/results.txt"},
        {"/tmp/results.", "/tmp/results.txt"},
        {"/tmp/results.txt", "/tmp/results.txt"},
        {"/tmp/results.log", "/tmp/results.log"},
        {"/tmp/results.TXT", "/tmp/results.TXT"},
        {"/tmp/dir.d/results", "/tmp/dir.d/results.txt"},  // a dot in a folder is no extension
        {"/tmp/.hidden", "/tmp/.hidden"},
        {"results", "results.txt"},
        {"a.b.c", "a.b.c"},
    };
    for (const auto& c : cases) EXPECT_EQ(WithTxtExtension(c.chosen), c.saved) << c.chosen;
}

}  // namespace
