#include "cli/console.h"

#include "runtime/codepage.h"
#include "runtime/text.h"

std::string ForTerminal(std::string_view text) { return ReplaceAll(Cp1252ToUtf8(text), "\r\n", "\n"); }

std::string EscapeControls(std::string_view utf8)
{
    static const char hex[] = "0123456789abcdef";
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        // U+0080 to U+009F, the second set of control characters, is C2 80 to C2 9F.
        const bool c1 = c == 0xC2 && i + 1 < utf8.size() && (static_cast<unsigned char>(utf8[i + 1]) & 0xE0) == 0x80;
        // A CR alone would send the cursor back over what the line already shows.
        const bool crLf = c == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n';
        if ((c < 32 && !crLf && c != '\n' && c != '\t') || c == 127 || c1) {
            if (c1) c = static_cast<unsigned char>(utf8[++i]);
            out += {'\\', 'x', hex[c >> 4], hex[c & 15]};
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

void TConsole::Print(std::string_view text) { PrintUtf8(Cp1252ToUtf8(text)); }

void TConsole::PrintUtf8(std::string_view text) { FOut << EscapeControls(ReplaceAll(text, "\r\n", "\n")); }

void TConsole::Error(std::string_view text) { ErrorUtf8(Cp1252ToUtf8(text)); }

void TConsole::ErrorUtf8(std::string_view text)
{
    if (text.empty()) return;
    std::string line = EscapeControls(ReplaceAll(text, "\r\n", "\n"));
    // Some messages carry their own line feed already.
    if (line.back() != '\n') line += '\n';
    FErr << line << std::flush;
}

void TConsole::Progress(std::string_view text)
{
    if (FErrIsTerminal) Error(text);
}

void TConsole::ProgressUtf8(std::string_view text)
{
    if (FErrIsTerminal) ErrorUtf8(text);
}
