#include "net/http/id_header_info.h"

#include "net/http/id_internet_date.h"
#include "runtime/exception.h"
#include "runtime/integer.h"
#include "runtime/text.h"

#include <cstdint>

void TIdHeaderInfo::Reset()
{
    Accept = "text/html, */*";
    AcceptCharSet.clear();
    Connection.clear();
    ContentEncoding.clear();
    ContentLanguage.clear();
    ContentLength = 0;
    HasContentLength = false;
    ContentRangeEnd = 0;
    ContentRangeStart = 0;
    ContentType.clear();
    ContentVersion.clear();
    Date = 0;
    Expires = 0;
    ExtraHeaders.Clear();
    LastModified = 0;
    Location.clear();
    ProxyAuthenticate.clear();
    ProxyPassword.clear();
    ProxyPort = 0;
    ProxyServer.clear();
    ProxyUsername.clear();
    Server.clear();
    UserAgent = "Mozilla/3.0 (compatible; Norvane Library)";
    WWWAuthenticate.clear();
}

std::string EncodeBase64(const std::string& bytes)
{
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const uint32_t n = static_cast<uint8_t>(bytes[i]) << 16 | static_cast<uint8_t>(bytes[i + 1]) << 8 |
                           static_cast<uint8_t>(bytes[i + 2]);
        out += alphabet[n >> 18];
        out += alphabet[(n >> 12) & 63];
        out += alphabet[(n >> 6) & 63];
        out += alphabet[n & 63];
    }
    const size_t rest = bytes.size() - i;
    if (rest > 0) {
        uint32_t n = static_cast<uint8_t>(bytes[i]) << 16;
        if (rest == 2) n |= static_cast<uint8_t>(bytes[i + 1]) << 8;
        out += alphabet[n >> 18];
        out += alphabet[(n >> 12) & 63];
        out += rest == 2 ? alphabet[(n >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

void TIdHeaderInfo::BuildRequestHeaders(TIdHeaderList& lines) const
{
    lines.Clear();
    const auto addIf = [&lines](const char* name, const std::string& value) {
        if (!value.empty()) lines.Add(name + value);
    };
    addIf("Accept: ", Accept);
    addIf("Accept-Charset: ", AcceptCharSet);
    addIf("Accept-Encoding: ", AcceptEncoding);
    addIf("Accept-Language: ", AcceptLanguage);
    addIf("From: ", From);
    addIf("Referer: ", Referer);
    addIf("User-Agent: ", UserAgent);
    addIf("Connection: ", Connection);
    addIf("Content-Version: ", ContentVersion);
    addIf("Content-Encoding: ", ContentEncoding);
    addIf("Content-Language: ", ContentLanguage);
    addIf("Content-Type: ", ContentType);
    if (ContentLength != 0) lines.Add("Content-Length: " + std::to_string(ContentLength));
    if (ContentRangeEnd != 0)
        lines.Add("Range: bytes=" + std::to_string(ContentRangeStart) + "-" + std::to_string(ContentRangeEnd));
    else if (ContentRangeStart != 0)
        lines.Add("Range: bytes=" + std::to_string(ContentRangeStart) + "-");
    if (!Username.empty()) lines.Add("Authorization: Basic " + EncodeBase64(Username + ":" + Password));
    if (!ProxyServer.empty() && !ProxyUsername.empty())
        lines.Add("Proxy-Authorization: Basic " + EncodeBase64(ProxyUsername + ":" + ProxyPassword));
    lines.AddLines(ExtraHeaders);
}

namespace {

// The value of a header, which then leaves the list.
std::string TakeHeader(TIdHeaderList& lines, const char* name)
{
    std::string value = lines.ValueOf(name);
    lines.RemoveHeader(name);
    return value;
}

// "bytes 0-99/1234": the unit and the total are not kept.
void ReadContentRange(const std::string& value, int32_t& start, int32_t& end)
{
    const size_t space = value.find(' ');
    std::string rest = space == std::string::npos ? std::string() : value.substr(space + 1);
    const size_t dash = rest.find('-');
    const std::string first = rest.substr(0, dash);
    rest = dash == std::string::npos ? std::string() : rest.substr(dash + 1);
    const std::string last = rest.substr(0, rest.find('/'));
    start = StrToInt(first);
    end = StrToInt(last);
}

// Decimal digits only; a value past any reply bound stays past it instead of wrapping.
int64_t ContentLengthValue(const std::string& text)
{
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
        throw EConvertError("'" + text + "' is not a valid integer value");
    int64_t value = 0;
    for (const char digit : text) value = value > INT64_MAX / 100 ? INT64_MAX / 10 : value * 10 + (digit - '0');
    return value;
}

// The Content-Length value. Repeated lines must agree: with two lengths the body's end is
// unknown, and either might cut it, so differing values are joined into one that does not
// convert.
std::string ContentLengthText(const TIdHeaderList& lines)
{
    const int first = lines.FindHeader("Content-Length");
    const std::string value = Trim(lines.ValueOfLine(first));
    std::string joined = value;
    for (int i = first + 1; i < lines.Count(); ++i)
        if (lines.NameOfLine(i) == "CONTENT-LENGTH" && Trim(lines.ValueOfLine(i)) != value)
            joined += ", " + Trim(lines.ValueOfLine(i));
    return joined;
}

}  // namespace

void TIdHeaderInfo::ProcessReplyHeaders(TIdHeaderList& lines)
{
    ExtraHeaders.Clear();
    Location = TakeHeader(lines, "Location");
    Server = TakeHeader(lines, "Server");
    Connection = TakeHeader(lines, "Connection");
    ContentVersion = TakeHeader(lines, "Content-Version");
    WWWAuthenticate = TakeHeader(lines, "WWW-Authenticate");
    ContentEncoding = TakeHeader(lines, "Content-Encoding");
    ContentLanguage = TakeHeader(lines, "Content-Language");
    ContentType = TakeHeader(lines, "Content-Type");
    HasContentLength = lines.FindHeader("Content-Length") >= 0;
    ContentLength = HasContentLength ? ContentLengthValue(ContentLengthText(lines)) : 0;
    lines.RemoveHeader("Content-Length");
    const std::string range = TakeHeader(lines, "Content-Range");
    if (!range.empty()) ReadContentRange(range, ContentRangeStart, ContentRangeEnd);
    Date = InternetDateToLocal(TakeHeader(lines, "Date"));
    LastModified = InternetDateToLocal(TakeHeader(lines, "Last-Modified"));
    Expires = InternetDateToLocal(TakeHeader(lines, "Expires"));
    ProxyAuthenticate = TakeHeader(lines, "Proxy-Authenticate");
    ExtraHeaders.AddLines(lines);
}
