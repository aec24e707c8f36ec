#include "app/results_file.h"

#include "runtime/codepage.h"
#include "runtime/files.h"
#include "runtime/text.h"

namespace {

constexpr std::string_view LineBreak = "\r\n";

bool EndsWith(const std::string& text, std::string_view tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// The last line as the page counts them: what follows the last CR LF, or, when the text
// ends with CR LF, what lies between it and the CR LF before.
std::string_view LastCountedLine(const std::string& page)
{
    std::string_view text(page);
    if (EndsWith(page, LineBreak)) text.remove_suffix(LineBreak.size());
    const size_t previous = text.rfind(LineBreak);
    return previous == std::string_view::npos ? text : text.substr(previous + LineBreak.size());
}

}  // namespace

std::string WithClosingEmptyLine(const std::string& page)
{
    if (page.empty() || LastCountedLine(page).empty()) return page;
    return page + std::string(LineBreak);
}

std::string ResultsFileContent(const std::string& page, const std::vector<TTreeLine>& tree, TFileEncoding encoding)
{
    std::string lines;
    for (const TTreeLine& line : tree) {
        lines.append(static_cast<size_t>(line.Depth > 0 ? line.Depth : 0), '\t');
        lines += line.Text;
        lines += LineBreak;
    }
    if (encoding == TFileEncoding::Utf8) return ReplaceAll(page + Cp1252ToUtf8(lines), LineBreak, "\n");
    return Utf8ToCp1252(page) + lines;
}

void SaveResults(IResultsSource& window, const std::string& fileName, TFileEncoding encoding)
{
    const std::string page = window.MemoText();
    const std::string closed = WithClosingEmptyLine(page);
    if (closed != page) window.SetMemoText(closed);
    WriteFileBytes(fileName, ResultsFileContent(closed, window.TreeLines(), encoding));
}

std::string ProposedFileName(const std::string& nameField) { return ReplaceAll(nameField, ".", "_") + ".txt"; }

std::string WithTxtExtension(const std::string& fileName)
{
    const size_t slash = fileName.rfind('/');
    const size_t dot = fileName.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return fileName + ".txt";
    if (dot + 1 == fileName.size()) return fileName + "txt";
    return fileName;
}
