#include "net/http/id_http_reply_reader.h"

#include "net/socket/id_exceptions.h"
#include "runtime/exception.h"
#include "runtime/integer.h"
#include "runtime/text.h"

#include <algorithm>
#include <cstdint>

namespace {

// Past the bound, what the body wrote is taken back out of the stream. `more` may be any
// announced size, so it is not added to what was read.
void CheckBodySize(TIdStream& stream, int64_t start, int64_t more, int64_t maxBody)
{
    if (more <= maxBody - (stream.Position() - start)) return;
    stream.SetSize(start);
    stream.SetPosition(start);
    throw EIdReplyTooLarge();
}

// A count past what one read takes is read in parts.
void ReadExactly(TIdHTTPReplySource& source, TIdStream& stream, int64_t count)
{
    for (; count > 0; count -= INT32_MAX)
        source.ReadBytes(stream, static_cast<int32_t>(std::min<int64_t>(count, INT32_MAX)));
}

}  // namespace

std::string StatusReplyLine(const std::string& line)
{
    const size_t space = line.find(' ');
    return space == std::string::npos ? std::string() : line.substr(space + 1);
}

TIdHTTPStatus ParseStatusLine(const std::string& line)
{
    TIdHTTPStatus status;
    status.Reply10 = line.size() >= 8 && SameText(std::string_view(line).substr(5, 3), "1.0");
    status.ReplyLine = StatusReplyLine(line);
    status.StatusCode = StrToInt(status.ReplyLine.substr(0, status.ReplyLine.find(' ')));
    return status;
}

int64_t ReadReplyHeader(TIdHTTPReplySource& source, TIdHeaderList& lines, int32_t maxLines, int64_t maxBytes)
{
    lines.Clear();
    int64_t bytes = 0;
    for (std::string line = source.ReadLine();; line = source.ReadLine()) {
        bytes += static_cast<int64_t>(line.size()) + 2;
        if (line.empty()) return bytes;
        if (lines.Count() >= maxLines || bytes > maxBytes) {
            lines.Clear();
            if (bytes > maxBytes) throw EIdReplyTooLarge();
            throw EIdTooManyHeaderLines();
        }
        lines.Add(std::move(line));
    }
}

int64_t ChunkSize(const std::string& line)
{
    const std::string digits = line.substr(0, line.find_first_of("; \t"));
    if (digits.empty() || digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        throw EConvertError("'" + digits + "' is not a valid integer value");
    int64_t size = 0;
    for (const char digit : digits) {
        if (size > (INT64_MAX >> 4)) return INT64_MAX;
        size = size * 16 + (digit <= '9' ? digit - '0' : (digit | 0x20) - 'a' + 10);
    }
    return size;
}

void ReadReplyBody(TIdHTTPReplySource& source, const TIdHeaderInfo& reply, TIdStream& stream,
                   const std::function<void()>& onChunked, int64_t maxBody, int32_t maxLines)
{
    const int64_t start = stream.Position();
    if (reply.ContentLength > 0) {
        CheckBodySize(stream, start, reply.ContentLength, maxBody);
        ReadExactly(source, stream, reply.ContentLength);
    } else if (reply.ExtraHeaders.ValueOf("Transfer-Encoding").find("chunked") != std::string::npos) {
        if (onChunked) onChunked();
        for (int64_t size = ChunkSize(source.ReadLine()); size > 0; size = ChunkSize(source.ReadLine())) {
            CheckBodySize(stream, start, size, maxBody);
            ReadExactly(source, stream, size);
            if (!source.ReadLine().empty()) throw EIdChunkTooLong();
        }
        // Trailer lines, if any, up to the empty line, so that a kept connection stays
        // in step for the next reply; no more of them than a header may have.
        for (int32_t lines = 0; !source.ReadLine().empty();)
            if (++lines > maxLines) throw EIdTooManyHeaderLines();
    } else if (!reply.HasContentLength) {
        // Neither a length nor chunks: the body runs until the server closes.
        source.ReadUntilClosed(stream);
        CheckBodySize(stream, start, 0, maxBody);
    }
    // A body read over an earlier, longer one (a followed redirect) must not keep its tail.
    if (stream.Size() > stream.Position()) stream.SetSize(stream.Position());
}
