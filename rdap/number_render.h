#pragma once
#include <string>
#include <string_view>

// An RDAP IP network or autnum object (RFC 9083) as text in the layout of the regional
// registries' whois output (UTF-8, lines ended by CR LF, no control characters). `url`
// is the address asked, `answered` the one that answered after redirects; both are
// named. Raises ERdapError when the body is not a JSON object.
std::string RenderRdapNumber(const std::string& url, const std::string& answered, std::string_view body);
