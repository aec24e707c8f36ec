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
    bool DataCorrupt = false;

    std::string LabelDNS;
    std::string LabelWhois;
    std::string LabelRdap;  // stays empty when the server does not publish rdap.json
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
    // Then rdap.json's "publication", which can neither fail nor corrupt.
    void ReadStamps();

    // The checks, DNS first, then whois, then RDAP (unless both failed), each one's errors
    // dropped, the records reset around them. FailedChecks counts the checks that ended
    // with the file neither found current nor replaced; rdap.json is optional: a server
    // that does not publish it (404), or is gone by then, is not counted.
    void RunChecks();
    int FailedChecks = 0;
    void CheckDnsData();
    void CheckWhoisData();
    // rdap.json, shown only once answered: a 404 (a server that does not publish it) or a
    // lost connection leaves the labels as they were. Another status leaves "Vérification
    // des données RDAP", a reply that is no bootstrap file with a usable "publication"
    // "Retour du serveur invalide", a file that cannot be written "Mise à jour des données
    // RDAP."; each fails the check. The stamp is sent percent-encoded.
    void CheckRdapData();
    void SaveDnsData(const std::string& body);
    void SaveWhoisData(const std::string& body);

private:
    struct TCheck;
    void Check(const TCheck& check);
    void RunCheck(void (TDataUpdater::*check)());
    void FailRdapCheck(const std::string& label);
    bool FCheckDone = false;
    void Repaint(TCheckLabel checkLabel);
    void Pause(int milliseconds);
};
