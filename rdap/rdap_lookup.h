#pragma once
#include "rdap/rdap_request.h"

#include <functional>
#include <string>

// How a lookup reaches a server; RdapGet unless a test puts a fake in its place.
using TRdapGet = std::function<TRdapReply(const std::string& url)>;

// Raises ERdapError for the status of a reply that is neither an object nor "not found":
// a 429 names the wait the server asks for.
[[noreturn]] void RdapRefused(const std::string& url, const TRdapReply& reply);

// The address of a domain at a registry: base (ending with "/") + "domain/" + the name,
// any byte outside letters, digits, "-" and "." percent-encoded.
std::string RdapDomainUrl(const std::string& base, const std::string& asciiName);

// What the whois page shows for a domain asked of an RDAP registry (UTF-8, CR LF): the
// rendered object, and the registrar's answer after a separator line when the registry
// refers to one (a failed second request adds one line instead). A 404 is an answer: a
// line saying the registry does not know the name. Raises ERdapError for anything else:
// a 429 naming the wait the server asks for, another status, a transfer failure, a reply
// that is no JSON object.
std::string RdapDomainText(const std::string& base, const std::string& asciiName, const TRdapGet& get);
// The same through RdapGet.
std::string RdapDomainText(const std::string& base, const std::string& asciiName);
