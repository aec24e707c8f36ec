#include "net/http/id_http_reply_reader.h"

#include "net/socket/id_exceptions.h"
#include "runtime/integer.h"
#include "runtime/text.h"

namespace {

// Past the bound, what the body wrote is taken back out of the stream.
void CheckBodySize(TIdStream& stream, int64_t start, int64_t more, int64_t maxBody)
{
    if (stream.Position() - start + more <= maxBody) return;
    stream.SetSize(start);
    stream.SetPosition(start);
    throw EIdReplyTooLarge();
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

void ReadReplyHeader(TIdHTTPReplySource& source, TIdHeaderList& lines, int32_t maxLines)
{
    lines.Clear();
    for (std::string line = source.ReadLine(); !line.empty(); line = source.ReadLine()) {
        if (lines.Count() >= maxLines) {
            lines.Clear();
            throw EIdTooManyHeaderLines();
        }
        lines.Add(std::move(line));
    }
}

int32_t ChunkSize(const std::string& line)
{
    return StrToIntDef("$" + line.substr(0, line.find(' ')), 0);
}

void ReadReplyBody(TIdHTTPReplySource& source, const TIdHeaderInfo& reply, TIdStream& stream,
                   const std::function<void()>& onChunked, int64_t maxBody)
{
    const int64_t start = stream.Position();
    if (reply.ContentLength > 0) {
        CheckBodySize(stream, start, reply.ContentLength, maxBody);
        source.ReadBytes(stream, reply.ContentLength);
    } else if (reply.ExtraHeaders.ValueOf("Transfer-Encoding").find("chunked") != std::string::npos) {
        if (onChunked) onChunked();
        for (int32_t size = ChunkSize(source.ReadLine()); size > 0; size = ChunkSize(source.ReadLine())) {
            CheckBodySize(stream, start, size, maxBody);
            source.ReadBytes(stream, size);
            source.ReadLine();
        }
        // Trailer lines, if any, up to the empty line, so that a kept connection stays
        // in step for the next reply; no more of them than a header may have.
        for (int32_t lines = 0; !source.ReadLine().empty();)
            if (++lines > DefaultMaxHeaderLines) throw EIdTooManyHeaderLines();
    } else if (!reply.HasContentLength) {
        // Neither a length nor chunks: the body runs until the server closes.
        source.ReadUntilClosed(stream);
        CheckBodySize(stream, start, 0, maxBody);
    }
    // A body read over an earlier, longer one (a followed redirect) must not keep its tail.
    if (stream.Size() > stream.Position()) stream.SetSize(stream.Position());
}
