#pragma once
#include "net/http/id_header_info.h"
#include "net/http/id_header_list.h"
#include "net/http/id_http_reply_reader.h"
#include "net/socket/id_stream.h"
#include "net/socket/id_tcp_client.h"

#include <cstdint>
#include <functional>
#include <string>

enum TIdHTTPProtocolVersion { pv1_0, pv1_1 };

enum TIdHTTPMethod { hmGet };

// An HTTP/1.1 client for GET requests over one kept connection.
class TIdHTTP : public TIdTCPClient {
public:
    TIdHTTP();

    bool HandleRedirects = false;
    int32_t RedirectMaximum = 15;
    TIdHTTPProtocolVersion ProtocolVersion = pv1_1;
    TIdHeaderInfo Request;
    // Called when a reply redirects: the target may be changed, `handled` says whether to
    // follow it (or, past the redirect bound, whether to accept the reply as it is).
    std::function<void(TIdHTTP& sender, std::string& dest, int32_t numRedirect, bool& handled)> OnRedirect;

    TIdHeaderInfo Reply;
    int32_t StatusCode = 0;
    std::string ReplyLine;  // the status line less its first word
    TIdHeaderList HeaderLines;
    int32_t RedirectDepth = 0;
    std::string RequestHost;
    // The port of a URL that names none.
    int32_t DefaultPort = 80;
    // Most lines a reply header may have; past it EIdTooManyHeaderLines. (A body is
    // bounded by Limits.MaxReplySize, a line by Limits.MaxLineLength, a whole request
    // with its redirects by Limits.RequestTimeout.)
    int32_t MaxHeaderLines = DefaultMaxHeaderLines;

    // The body of a GET as bytes. Raises EIdProtocolReplyError for a status outside 2xx
    // and for a redirect that is not followed.
    std::string GetText(const std::string& url);
    void GetStream(const std::string& url, TIdStream& stream);

    // Points the client at the URL's host and port; a different endpoint closes the open
    // connection. `port` is -1 when the URL gives none.
    void SelectEndpoint(const std::string& protocol, const std::string& host, int32_t port);

    virtual bool NotifyRedirect(std::string& dest);
    virtual void PerformRequest(TIdHTTPMethod method, const std::string& url, TIdStream& stream);

private:
    void PerformOne(const std::string& url, TIdStream& stream);
    // After a reply read whole: keeps the connection or closes it. A failure here (the
    // server resetting at once, say) only closes it: the reply stands.
    void KeepOrCloseConnection(bool reply10);
    [[noreturn]] void RaiseReplyError(bool reply10);
};
