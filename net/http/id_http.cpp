#include "net/http/id_http.h"

#include "net/http/id_http_reply_reader.h"
#include "net/http/id_uri.h"
#include "net/socket/id_exceptions.h"
#include "runtime/integer.h"
#include "runtime/text.h"

namespace {

// The reply as the connection delivers it.
class TConnectionSource : public TIdHTTPReplySource {
public:
    explicit TConnectionSource(TIdTCPConnection& connection) : FConnection(connection) {}

    std::string ReadLine() override
    {
        std::string line = FConnection.ReadLine("", WaitForever);
        if (FConnection.LineTimedOut) {
            // No line: the server closed in the middle of one (an empty line here would
            // pass for the end of the header). A wait that failed or ran out has raised
            // its own error already.
            FConnection.EnsureOpen(true, true);
            throw EIdReadTimeout();
        }
        return line;
    }

    // The connection grows the stream only as the bytes arrive, so a huge declared
    // length costs nothing until it is really sent.
    void ReadBytes(TIdStream& stream, int32_t count) override
    {
        if (count > 0) FConnection.ReadToStream(stream, count, false);
    }

    void ReadUntilClosed(TIdStream& stream) override { FConnection.ReadToStream(stream, -1, true); }

private:
    TIdTCPConnection& FConnection;
};

}  // namespace

TIdHTTP::TIdHTTP() { Port = 80; }

std::string TIdHTTP::GetText(const std::string& url)
{
    TIdMemoryStream stream;
    GetStream(url, stream);
    return stream.TakeBytes();
}

void TIdHTTP::GetStream(const std::string& url, TIdStream& stream) { PerformRequest(hmGet, url, stream); }

void TIdHTTP::SelectEndpoint(const std::string& /*protocol*/, const std::string& host, int32_t port)
{
    if (!host.empty()) {
        if ((!SameText(host, Host) || port != Port) && IsConnected()) CloseConnection();
        Host = host;
    }
    // An IPv6 address goes into the Host line in brackets, as in the URL.
    RequestHost = Host.find(':') == std::string::npos ? Host : "[" + Host + "]";
    Port = port == -1 ? DefaultPort : port;
}

bool TIdHTTP::NotifyRedirect(std::string& dest)
{
    bool handled = HandleRedirects;
    if (OnRedirect) OnRedirect(*this, dest, RedirectDepth, handled);
    return handled;
}

void TIdHTTP::PerformRequest(TIdHTTPMethod /*method*/, const std::string& url, TIdStream& stream)
{
    TIdExchangeClock clock(Limits);
    try {
        PerformOne(url, stream);
    } catch (const EIdProtocolReplyError&) {
        // The whole reply was read: the connection is still in step and stays open.
        RedirectDepth = 0;
        throw;
    } catch (...) {
        // Anything else may have left part of a reply unread; that connection cannot
        // carry the next request.
        RedirectDepth = 0;
        try {
            CloseConnection();
        } catch (...) {
        }
        InBuffer.Release();
        throw;
    }
    RedirectDepth = 0;
}

void TIdHTTP::PerformOne(const std::string& url, TIdStream& stream)
{
    ++RedirectDepth;
    const TIdURI parts = SplitUrl(url);
    const std::string target = parts.Path + parts.Resource;
    SelectEndpoint(parts.Protocol, parts.Host, parts.Port.empty() ? -1 : StrToIntDef(parts.Port, -1));

    EnsureOpen(false, false);
    if (!IsConnected()) OpenConnection();

    Request.ContentLength = 0;
    Request.BuildRequestHeaders(HeaderLines);
    // One send for the whole head: separate small writes would wait on each other's
    // acknowledgement while Nagle's algorithm is on.
    std::string head = "GET " + target + " HTTP/" + (ProtocolVersion == pv1_0 ? "1.0" : "1.1") + "\r\n";
    head += "Host: " + RequestHost + "\r\n";
    for (int i = 0; i < HeaderLines.Count(); ++i) head += HeaderLines[i] + "\r\n";
    head += "\r\n";
    SendText(head);

    TConnectionSource source(*this);
    const std::string statusLine = source.ReadLine();
    // Set before the code is converted, so a code that does not convert leaves this
    // reply's text, not the previous one's.
    ReplyLine = StatusReplyLine(statusLine);
    const TIdHTTPStatus status = ParseStatusLine(statusLine);
    StatusCode = status.StatusCode;
    // The header counts in the reply bound: lines may be long, and many.
    const int64_t headerBytes = static_cast<int64_t>(statusLine.size()) + 2 +
                                ReadReplyHeader(source, HeaderLines, MaxHeaderLines, Limits.MaxReplySize);
    Reply.ProcessReplyHeaders(HeaderLines);

    const int32_t statusClass = StatusCode / 100;
    const bool redirect = (statusClass == 3 && StatusCode != 304) || !Reply.Location.empty();
    const auto chunked = [this] { ReportStatus(StatusText, "Chunk Started"); };

    // The body is read in every case, so the connection stays in step.
    ReadReplyBody(source, Reply, stream, chunked, Limits.MaxReplySize - headerBytes, MaxHeaderLines);
    if (!redirect) {
        if (statusClass != 2) RaiseReplyError(status.Reply10);
    } else {
        std::string dest = Reply.Location;
        if (HandleRedirects && RedirectDepth < RedirectMaximum) {
            stream.SetPosition(0);
            if (NotifyRedirect(dest)) {
                if (ProtocolVersion == pv1_0 || status.Reply10) CloseConnection();
                PerformOne(dest, stream);
            }
        } else if (NotifyRedirect(dest)) {
            Reply.Location = dest;
        } else {
            RaiseReplyError(status.Reply10);
        }
    }
    KeepOrCloseConnection(status.Reply10);
}

// The reply was read whole, so the connection could carry the next request; but a server
// that announced its close (or speaks 1.0) will not answer there.
void TIdHTTP::RaiseReplyError(bool reply10)
{
    KeepOrCloseConnection(reply10);
    throw EIdProtocolReplyError(StatusCode, ReplyLine);
}

void TIdHTTP::KeepOrCloseConnection(bool reply10)
{
    try {
        if (ProtocolVersion == pv1_0 || reply10) {
            CloseConnection();
        } else if (SameText(Trim(Reply.Connection), "CLOSE") && IsConnected()) {
            CloseConnection();
        } else {
            PollPeerClosed(false);
        }
    } catch (...) {
        try {
            CloseConnection();
        } catch (...) {
        }
        InBuffer.Release();
    }
}
