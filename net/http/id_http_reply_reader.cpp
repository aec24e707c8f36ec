#include "net/http/id_http_reply_reader.h"

#include "runtime/integer.h"
#include "runtime/text.h"

TIdHTTPStatus ParseStatusLine(const std::string& line)
{
    TIdHTTPStatus status;
    status.Reply10 = line.size() >= 8 && SameText(std::string_view(line).substr(5, 3), "1.0");
    const size_t space = line.find(' ');
    status.ReplyLine = space == std::string::npos ? std::string() : line.substr(space + 1);
    status.StatusCode = StrToInt(status.ReplyLine.substr(0, status.ReplyLine.find(' ')));
    return status;
}

void ReadReplyHeader(TIdHTTPReplySource& source, TIdHeaderList& lines)
{
    lines.Clear();
    for (std::string line = source.ReadLine(); !line.empty(); line = source.ReadLine()) lines.Add(std::move(line));
}

int32_t ChunkSize(const std::string& line)
{
    return StrToIntDef("$" + line.substr(0, line.find(' ')), 0);
}

void ReadReplyBody(TIdHTTPReplySource& source, const TIdHeaderInfo& reply, TIdStream& stream,
                   const std::function<void()>& onChunked)
{
    if (reply.ContentLength > 0) {
        source.ReadBytes(stream, reply.ContentLength);
    } else if (reply.ExtraHeaders.ValueOf("Transfer-Encoding").find("chunked") != std::string::npos) {
        if (onChunked) onChunked();
        for (int32_t size = ChunkSize(source.ReadLine()); size > 0; size = ChunkSize(source.ReadLine())) {
            source.ReadBytes(stream, size);
            source.ReadLine();
        }
        // Trailer lines, if any, up to the empty line, so that a kept connection stays
        // in step for the next reply.
        while (!source.ReadLine().empty()) {
        }
    } else if (!reply.HasContentLength) {
        // Neither a length nor chunks: the body runs until the server closes.
        source.ReadUntilClosed(stream);
    }
    // A body read over an earlier, longer one (a followed redirect) must not keep its tail.
    if (stream.Size() > stream.Position()) stream.SetSize(stream.Position());
}
