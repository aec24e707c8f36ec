#include "app/whois_catalogue.h"

#include "runtime/files.h"
#include "runtime/integer.h"
#include "runtime/text.h"

void TWhoisServers::LoadFromFile(const std::string& path)
{
    FLines.clear();
    SetText(ReadFileBytes(path));
}

void TWhoisServers::SetText(std::string_view text) { FLines = SplitLines(text); }

std::string TWhoisServers::Values(std::string_view key) const
{
    for (const std::string& line : FLines) {
        const size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        if (AnsiSameText(std::string_view(line).substr(0, equals), key)) return line.substr(equals + 1);
    }
    return {};
}

std::string FindWhoisServer(const TWhoisServers& servers, std::string_view text, std::string& queryTemplate,
                            int& port, const TShowError& showError)
{
    const std::string name = Trim(text);
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos) {
        showError(InvalidAddress);
        return {};
    }
    const std::string extension = LowerCase(std::string_view(name).substr(dot + 1));
    const std::string host = servers.Values(extension);
    if (host.empty()) {
        showError("L'extention ." + extension + " n'est pas support\xE9" "e!");
        return {};
    }
    queryTemplate = servers.Values("@" + host);
    const std::string portText = servers.Values("p@" + host);
    port = portText.empty() ? DefaultWhoisPort : StrToIntDef(portText, DefaultWhoisPort);
    return host;
}
