#pragma once
#include "net/http/id_header_list.h"

#include <cstdint>
#include <string>

// Header values of one request or one reply. Dates are days since 1899-12-30, as doubles.
class TIdHeaderInfo {
public:
    TIdHeaderInfo() { Reset(); }

    std::string Accept;
    std::string AcceptCharSet;
    std::string AcceptEncoding;
    std::string AcceptLanguage;
    std::string Connection;
    std::string ContentEncoding;
    std::string ContentLanguage;
    int64_t ContentLength = 0;
    // The reply carried a Content-Length. It tells an empty body ("Content-Length: 0")
    // from a body that runs until the server closes.
    bool HasContentLength = false;
    int32_t ContentRangeEnd = 0;
    int32_t ContentRangeStart = 0;
    std::string ContentType;
    std::string ContentVersion;
    double Date = 0;
    double Expires = 0;
    TIdHeaderList ExtraHeaders;
    std::string From;
    double LastModified = 0;
    std::string Location;
    std::string Password;
    std::string ProxyAuthenticate;
    std::string ProxyPassword;
    int32_t ProxyPort = 0;
    std::string ProxyServer;
    std::string ProxyUsername;
    std::string Referer;
    std::string Server;
    std::string UserAgent;
    std::string Username;
    std::string WWWAuthenticate;

    // Back to the defaults; AcceptEncoding, AcceptLanguage, From, Password, Referer and
    // Username survive a reset.
    void Reset();

    // Empties `lines`, then writes the request header lines these values call for.
    void BuildRequestHeaders(TIdHeaderList& lines) const;

    // Takes the known headers out of `lines` into the fields and appends what is left
    // to ExtraHeaders (emptied first). Raises EConvertError on malformed range numbers
    // and on a Content-Length that is not decimal digits: taking it as absent would read
    // to the close and pass a cut body for a whole one.
    void ProcessReplyHeaders(TIdHeaderList& lines);
};

// "user:password" style text in Base64, as the Basic authorisation lines carry it.
std::string EncodeBase64(const std::string& bytes);
