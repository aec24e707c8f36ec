#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Tells the user why a lookup stops (the window's "Erreur" box).
using TShowError = std::function<void(const std::string& message)>;

// The whois catalogue: the lines of whois.dat in file order, blank lines and the stamp
// line included. A line "key=value" answers a lookup by key; lines without "=" answer none.
class TWhoisServers {
public:
    // Empties the list first, so a file that cannot be read leaves it empty; then raises
    // EFOpenError "Cannot open file %s".
    void LoadFromFile(const std::string& path);
    // Empties the list and takes the lines of text (CR, LF or CR LF end a line, NUL ends it).
    void SetText(std::string_view text);
    void Clear() { FLines.clear(); }

    int Count() const { return static_cast<int>(FLines.size()); }
    const std::string& operator[](int index) const { return FLines.at(static_cast<size_t>(index)); }

    // The value of the first line whose key equals `key` with letter case ignored; nothing
    // is trimmed. "" when no line has that key.
    std::string Values(std::string_view key) const;

private:
    std::vector<std::string> FLines;
};

// Why a name is refused when it holds no "." or cannot be put into its ASCII form.
inline constexpr const char* InvalidAddress = "Adresse invalide!";

// Whois port used when the catalogue gives none, or none that reads as an integer.
constexpr int DefaultWhoisPort = 43;

// Validates the typed name and looks its extension up. Returns the whois server, with the
// query template and port as out values; returns "" after telling the user why the name
// was refused ("Adresse invalide!" or "L'extention .%s n'est pas supportée!").
std::string FindWhoisServer(const TWhoisServers& servers, std::string_view text, std::string& queryTemplate,
                            int& port, const TShowError& showError);
