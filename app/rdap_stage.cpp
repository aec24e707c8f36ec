#include "app/rdap_stage.h"

#include "net/socket/id_exceptions.h"
#include "rdap/bootstrap.h"
#include "rdap/number_lookup.h"
#include "rdap/rdap_error.h"
#include "runtime/codepage.h"
#include "runtime/text.h"

#include <fstream>
#include <sstream>

namespace {

enum class TFileRead { Missing, Loaded, Damaged };

// Reads dataDir + name into `into`, a bootstrap for domains or for numbers. A damaged file
// is told to the user, the message ending with `consequence`.
template <typename TBootstrap>
TFileRead LoadBootstrapFile(TBootstrap& into, const std::string& dataDir, const std::string& name,
                            const char* consequence, const TShowError& showError)
{
    std::ifstream file(dataDir + name, std::ios::binary);
    if (!file) return TFileRead::Missing;
    std::ostringstream text;
    text << file.rdbuf();
    try {
        into.Load(text.str());
        return TFileRead::Loaded;
    } catch (const ERdapBootstrapError& damaged) {
        // The path is UTF-8 and the message Windows-1252, as in the file layer's messages.
        showError("Le fichier " + Utf8ToCp1252(dataDir) + name + " est endommag\xE9 (" + damaged.Message() + ") : " +
                  consequence + ".");
        return TFileRead::Damaged;
    }
}

}  // namespace

void LoadRdapBootstrap(TRdapBootstrap& into, const std::string& dataDir, const TShowError& showError)
{
    into.Clear();
    if (LoadBootstrapFile(into, dataDir, "rdap.json", "pas de recherche RDAP", showError) == TFileRead::Damaged) return;
    // The user's own servers, read after the published ones: theirs win.
    TRdapBootstrap local;
    if (LoadBootstrapFile(local, dataDir, "rdap-local.json", "ses serveurs RDAP sont ignor\xE9s", showError) ==
        TFileRead::Loaded)
        into.Override(local);
}

void LoadRdapNumberBootstraps(TRdapNumberServers& into, const std::string& dataDir, const TShowError& showError)
{
    for (const TNumberFamily family : {TNumberFamily::Ipv4, TNumberFamily::Ipv6, TNumberFamily::Asn}) {
        into.For(family).Clear();
        LoadBootstrapFile(into.For(family), dataDir, std::string(NumberBootstrapName(family)) + ".json",
                          "pas de recherche RDAP", showError);
    }
}

std::string ExtensionOf(const std::string& name)
{
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : LowerCase(std::string_view(name).substr(dot + 1));
}

bool WhoisUnreachable(const std::exception& failure)
{
    if (dynamic_cast<const EIdReadTimeout*>(&failure) != nullptr) return true;
    const auto* socket = dynamic_cast<const EIdSocketError*>(&failure);
    if (socket == nullptr) return false;
    switch (socket->ErrorCode) {
    case 10050: case 10051: case 10053: case 10054: case 10060: case 10061: case 10064: case 10065:
    case 11001: case 11002: case 11003: case 11004:
        return true;
    default:
        return false;
    }
}

std::string WhoisFallbackLine(const std::string& host, const std::string& failure)
{
    // Socket errors hold and end with line breaks: one line here, one blank for each break.
    const std::string reason = Trim(ReplaceAll(ReplaceAll(ReplaceAll(failure, "\r\n", " "), "\r", " "), "\n", " "));
    return "Le serveur Whois " + host + " ne r\xC3\xA9pond pas (" + reason + ") : r\xC3\xA9ponse RDAP ci-dessous.\r\n\r\n";
}
