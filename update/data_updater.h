#pragma once
#include "net/exchange_settings.h"
#include "net/http/id_http.h"

#include <functional>
#include <string>

// What the "Mise à jour" dialog does, apart from its widgets: reads the stamps of the two
// data files, asks the update server about each, and writes the copies it sends. Label
// texts are Windows-1252 bytes; the dialog shows them at each OnRepaint and at the end.
class TDataUpdater {
public:
    // dataDir ends with "/"; host is the update server's name (port 80 unless the
    // client's DefaultPort says otherwise). The client runs with UpdateCheckLimits, the
    // connect and every silence within a reply bounded by timeout (ms) instead when given.
    TDataUpdater(std::string dataDir, std::string host, int32_t timeout = UpdateCheckLimits().ReadTimeout);

    TIdHTTP IdHTTP;
    std::string DataDir;
    std::string UpdateHost;
    std::string DnsStamp;
    std::string WhoisStamp;
    std::string RdapStamp;  // "" when rdap.json is missing or unusable: any copy is newer
    std::string Ipv4Stamp, Ipv6Stamp, AsnStamp;  // the same for ipv4.json, ipv6.json and asn.json
    // One of those files, as the checks ask for it (data_updater.cpp).
    struct TBootstrapFile;
    bool DataCorrupt = false;

    std::string LabelDNS;
    std::string LabelWhois;
    std::string LabelRdap;  // stays empty when the server publishes none of the bootstrap files
    std::string Label1;

    // One of the check labels, LabelDNS, LabelWhois or LabelRdap.
    using TCheckLabel = std::string TDataUpdater::*;
    // "Repaint now" the running check's label and Label1: their texts must reach the
    // screen before the next blocking step. The other label waits for the next paint.
    std::function<void(TCheckLabel checkLabel)> OnRepaint;
    // The pauses of the checks (200 and 500 ms); a plain sleep unless replaced.
    std::function<void(int milliseconds)> OnPause;

    // whois.dat first, then dns.dat; an unusable file sets DataCorrupt and stops. A file
    // that cannot be read raises EFOpenError, leaving the stamps not yet read empty.
    // Then the "publication" of the bootstrap files (rdap.json, ipv4.json, ipv6.json,
    // asn.json), which can neither fail nor corrupt.
    void ReadStamps();

    // The checks, DNS first, then whois, then RDAP (unless both failed), each one's errors
    // dropped, the records reset around them. FailedChecks counts the checks that ended
    // with the file neither found current nor replaced; rdap.json is optional: a server
    // that does not publish it (404), or is gone by then, is not counted.
    void RunChecks();
    int FailedChecks = 0;
    void CheckDnsData();
    void CheckWhoisData();
    // The bootstrap files rdap.json, then (when the server has it current or sends it)
    // ipv4.json, ipv6.json and asn.json, all shown in LabelRdap once one is answered: a
    // 404 (a server that does not publish the file) leaves the labels as they were, a lost
    // connection ends the questions. Another status fails the check at "Vérification des
    // données RDAP", a reply that is no such file with a usable "publication" at "Retour
    // du serveur invalide", a file that cannot be written at "Mise à jour des données
    // RDAP."; the line says the first failure, or else whether a file was replaced. The
    // stamps are sent percent-encoded.
    void CheckRdapData();
    void SaveDnsData(const std::string& body);
    void SaveWhoisData(const std::string& body);

private:
    struct TCheck;
    void Check(const TCheck& check);
    enum class TBootstrapOutcome { Unpublished, Gone, Current, Updated, Failed };
    // One file's question; failedAt receives the step's text when it fails.
    TBootstrapOutcome CheckBootstrapFile(const TBootstrapFile& file, std::string& failedAt);
    void RunCheck(void (TDataUpdater::*check)());
    bool FCheckDone = false;
    void Repaint(TCheckLabel checkLabel);
    void Pause(int milliseconds);
};
