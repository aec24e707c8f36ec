#pragma once
#include <cstddef>
#include <string>
#include <utility>

// One HTTPS GET of an RDAP server, through libcurl.
struct TRdapReply {
    // A fake server's reply is made of the first three alone: it answers where it was asked.
    TRdapReply(long status = 0, std::string body = {}, std::string retryAfter = {}, std::string url = {})
        : Status(status), Body(std::move(body)), RetryAfter(std::move(retryAfter)), Url(std::move(url))
    {
    }
    long Status;
    std::string Body;
    std::string RetryAfter;  // the last reply's Retry-After header, as sent
    std::string Url;         // the address that gave the reply, after redirects; "" for the one asked
};

struct TRdapLimits {
    long WaitMs = 30000;          // a connect, or a silence within a reply
    long WholeMs = 120000;        // the whole request, redirects included
    size_t MaxBody = 8u << 20;    // a larger reply is refused, not cut
    long MaxRedirects = 5;
};

// GET url with "Accept: application/rdap+json". The server's certificate is checked
// against the system's trust store, or against the CA bundle named by SSL_CERT_FILE when
// that variable is set; redirects are followed over https only. Any HTTP status is a
// reply; a failed transfer raises ERdapError naming the URL and the cause.
TRdapReply RdapGet(const std::string& url, const TRdapLimits& limits = {});
