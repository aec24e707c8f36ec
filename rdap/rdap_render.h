#pragma once
#include <string>
#include <string_view>

// An RDAP domain object (RFC 9083) as text in the layout of gTLD whois output.
struct TRdapRendering {
    std::string Text;      // UTF-8, each line ended by CR LF, no control characters
    std::string Referral;  // the registrar's RDAP URL (a "related" link), "" when none
};

// url is the address asked, named on the first line. Raises ERdapError when the body is
// not a JSON object.
TRdapRendering RenderRdapDomain(const std::string& url, std::string_view body);
