#pragma once
#include <string>
#include <vector>

// The results file: the whois page, then the results tree, one line per node indented
// with one TAB per level, CR LF, Windows-1252 bytes. The page's text is UTF-8 (a whois
// reply may hold characters the code page lacks; they are written as "?"), the tree's
// Windows-1252.

// One node of the tree in tree order (a node, then its children, then its next sibling).
struct TTreeLine {
    int Depth = 0;  // 0 for a top-level node
    std::string Text;
};

// The whois page once an empty line closes it. The page's lines are counted at its
// CR LF pairs, a break at the very end opening no further line; when the last line so
// counted is not empty, CR LF is appended. An empty page stays empty.
std::string WithClosingEmptyLine(const std::string& page);

// How the file is written: Windows-1252 with CR LF, or, on request, the same text as
// UTF-8 with LF for the editors of today.
enum class TFileEncoding { Windows1252, Utf8 };

// The file's bytes: the page as it is, then the tree's lines.
std::string ResultsFileContent(const std::string& page, const std::vector<TTreeLine>& tree,
                               TFileEncoding encoding = TFileEncoding::Windows1252);

// What saving reads from the window, and the page it changes.
class IResultsSource {
public:
    virtual ~IResultsSource() = default;
    virtual std::string MemoText() const = 0;
    virtual void SetMemoText(const std::string& text) = 0;
    virtual std::vector<TTreeLine> TreeLines() const = 0;
};

// Closes the page with an empty line (the page shows it from then on), then writes the
// whole file in one go. Raises EFCreateError "Cannot create file %s" when it cannot;
// the page has changed all the same.
void SaveResults(IResultsSource& window, const std::string& fileName,
                 TFileEncoding encoding = TFileEncoding::Windows1252);

// The name the save dialog proposes: the name field as it is, every "." made "_", and ".txt".
std::string ProposedFileName(const std::string& nameField);

// The name chosen in the dialog, with ".txt" when it has no extension (the part from the
// last "." after the last "/"), "txt" when it ends with a ".", unchanged otherwise.
std::string WithTxtExtension(const std::string& fileName);
