// Renders arbitrary bytes as an RDAP domain reply, alone and as a registry's answer whose
// referral gets the same bytes, and as an IP network or autnum reply. Either the reply is refused with ERdapError, or the text
// holds no control character but CR LF line ends, and starts with the line naming the URL.
#include "rdap/rdap_error.h"
#include "rdap/rdap_lookup.h"
#include "rdap/number_render.h"
#include "rdap/rdap_render.h"
#include "runtime/codepage.h"
#include "fuzz/fail_if.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace {

void CheckLines(const std::string& text)
{
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\r') FailIf(i + 1 >= text.size() || text[i + 1] != '\n');
        else if (c == '\n') FailIf(i == 0 || text[i - 1] != '\r');
        else FailIf(c < 0x20 || c == 0x7F);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    const std::string url = "https://rdap.example/domain/x.example";
    try {
        const TRdapRendering rendering = RenderRdapDomain(url, body);
        CheckLines(rendering.Text);
        FailIf(rendering.Text.rfind("R\xC3\xA9ponse RDAP de " + url + "\r\n", 0) != 0);
    } catch (const ERdapError&) {
    }
    try {
        const std::string network = RenderRdapNumber("https://a.example/ip/1.2.3.4", "https://b.example/ip/1.2.3.4", body);
        CheckLines(network);
        FailIf(network.rfind("R\xC3\xA9ponse RDAP de https://b.example/ip/1.2.3.4\r\n", 0) != 0);
    } catch (const ERdapError&) {
    }
    int requests = 0;
    const TRdapGet get = [&](const std::string&) {
        ++requests;
        TRdapReply reply;
        reply.Status = 200;
        reply.Body = std::string(body);
        return reply;
    };
    try {
        const std::string page = RdapDomainText("https://rdap.example/", "x.example", get);
        CheckLines(page);
        CheckLines(Utf8ToCp1252(page));
    } catch (const ERdapError&) {
    }
    FailIf(requests < 1 || requests > 2);
    return 0;
}
