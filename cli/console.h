#pragma once
#include <ostream>
#include <string>
#include <string_view>

// Control characters other than LF, TAB and the CR of a CR LF shown as "\x1b" and the
// like: outside bytes (a whois reply, an argument quoted back) must not act on the
// terminal, nor a lone CR write over the line it ends.
std::string EscapeControls(std::string_view utf8);

// Where the companion writes. The program's own texts are Windows-1252 bytes with CR LF
// line breaks; the terminal gets UTF-8 with LF. The command line's own texts (usage,
// help) are UTF-8 already and go out unchanged.
class TConsole {
public:
    TConsole(std::ostream& out, std::ostream& err, bool errIsTerminal, bool outIsTerminal = false)
        : FOut(out), FErr(err), FErrIsTerminal(errIsTerminal), FOutIsTerminal(outIsTerminal)
    {
    }

    // Program text on standard output, converted and escaped, with no line break added.
    void Print(std::string_view text);
    // UTF-8 text (the whois page) on standard output, escaped, every CR LF made LF.
    void PrintUtf8(std::string_view text);
    // A message on standard error, converted and escaped, on a line of its own; nothing
    // when empty.
    void Error(std::string_view text);
    // Progress for a person watching: like Error, but only when standard error is a terminal.
    void Progress(std::string_view text);
    // The same two for UTF-8 text (a name as typed, a server's message).
    void ErrorUtf8(std::string_view text);
    void ProgressUtf8(std::string_view text);
    // UTF-8 text as it is.
    void RawOut(std::string_view text) { FOut << text; }
    void RawErr(std::string_view text) { FErr << text; }
    // A server's reply as it came, for a program to read; on a terminal its control
    // characters are escaped, so that they cannot act on it.
    void RawReply(std::string_view text) { FOut << (FOutIsTerminal ? EscapeControls(text) : std::string(text)); }

private:
    std::ostream& FOut;
    std::ostream& FErr;
    bool FErrIsTerminal;
    bool FOutIsTerminal;
};

// Windows-1252 bytes as UTF-8, every CR LF made LF (a lone CR stays).
std::string ForTerminal(std::string_view text);

