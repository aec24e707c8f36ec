// Reads arbitrary bytes as a whois reply kept with its 8-bit characters. The page is
// always well-formed UTF-8; a reply that was UTF-8 is kept byte for byte, any other comes
// back whole when the page is written in Windows-1252 again.
#include "app/whois_query.h"
#include "runtime/codepage.h"
#include "fuzz/fail_if.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string reply(reinterpret_cast<const char*>(data), size);
    const std::string page = DecodeWhoisReply(reply);
    FailIf(!IsUtf8(page));
    if (IsUtf8(reply))
        FailIf(page != reply);
    else
        FailIf(Utf8ToCp1252(page) != reply);
    FailIf(!IsUtf8(NormalizeLineBreaks(page)));
    return 0;
}
