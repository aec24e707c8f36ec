// Feeds arbitrary bytes to the HTTP reply reading as what a kept connection delivers:
// status line, header lines and body, reply after reply. The reading's own failures
// (a closed connection, a conversion error) are expected; anything else is a fault.
#include "net/http/id_header_info.h"
#include "net/http/id_http_memory_source.h"
#include "net/http/id_http_reply_reader.h"
#include "net/http/id_uri.h"
#include "runtime/exception.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// More than one reply per input, as a kept connection may carry, but never unbounded.
constexpr int kMaxReplies = 8;

void ReadOne(TIdHTTPMemorySource& source, TIdHeaderInfo& reply)
{
    ParseStatusLine(source.ReadLine());
    TIdHeaderList lines;
    ReadReplyHeader(source, lines);
    const int count = lines.Count();
    for (int i = 0; i < count; ++i) {
        // A named line is found by its name, at its place or at an earlier duplicate.
        const std::string name = lines.NameOfLine(i);
        if (!name.empty() && (lines.FindHeader(name) < 0 || lines.FindHeader(name) > i)) std::abort();
        lines.ValueOfLine(i);
    }
    reply.ProcessReplyHeaders(lines);
    if (reply.ExtraHeaders.Count() > count) std::abort();
    if (reply.HasContentLength && reply.ContentLength < 0) std::abort();
    SplitUrl(reply.Location);

    TIdMemoryStream body;
    const size_t before = source.Remaining();
    ReadReplyBody(source, reply, body);
    if (static_cast<size_t>(body.Size()) > before) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TIdHTTPMemorySource source(std::string(reinterpret_cast<const char*>(data), size));
    TIdHeaderInfo reply;
    for (int i = 0; i < kMaxReplies && source.Remaining() > 0; ++i) {
        try {
            ReadOne(source, reply);
        } catch (const Exception&) {
            // Closed early, a status without a number, malformed range numbers: the
            // client reports these, and the connection is not used again.
            break;
        }
    }
    return 0;
}
