#include "cli/console.h"

#include "runtime/codepage.h"
#include "runtime/text.h"

std::string ForTerminal(std::string_view text) { return ReplaceAll(Cp1252ToUtf8(text), "\r\n", "\n"); }

void TConsole::Print(std::string_view text) { FOut << ForTerminal(text); }

void TConsole::PrintUtf8(std::string_view text) { FOut << ReplaceAll(text, "\r\n", "\n"); }

void TConsole::Error(std::string_view text)
{
    if (text.empty()) return;
    std::string line = ForTerminal(text);
    // Some messages carry their own line feed already.
    if (line.back() != '\n') line += '\n';
    FErr << line << std::flush;
}

void TConsole::Progress(std::string_view text)
{
    if (FErrIsTerminal) Error(text);
}
