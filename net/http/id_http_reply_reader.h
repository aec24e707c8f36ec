#pragma once
#include "net/http/id_header_info.h"
#include "net/http/id_header_list.h"
#include "net/socket/id_global.h"
#include "net/socket/id_stream.h"

#include <cstdint>
#include <functional>
#include <string>

// Where a reply comes from. The client reads from its connection; tests and the fuzzer
// read from memory. Every read that cannot be completed raises (EIdConnClosedGracefully
// when the bytes end early).
class TIdHTTPReplySource {
public:
    virtual ~TIdHTTPReplySource() = default;
    // A line ended by LF, a CR before the LF dropped.
    virtual std::string ReadLine() = 0;
    // Exactly count bytes, appended to the stream at its position.
    virtual void ReadBytes(TIdStream& stream, int32_t count) = 0;
    // Everything until the peer closes; the close is no error.
    virtual void ReadUntilClosed(TIdStream& stream) = 0;
};

// The parts of a status line such as "HTTP/1.1 404 Not Found".
struct TIdHTTPStatus {
    std::string ReplyLine;  // the line less its first word: "404 Not Found"
    int32_t StatusCode = 0;
    bool Reply10 = false;   // the reply speaks HTTP/1.0
};

// The most lines a reply header (or a chunked body's trailer) may have.
inline constexpr int32_t DefaultMaxHeaderLines = 1000;

// The status line less its first word ("404 Not Found"); empty when it has one word.
std::string StatusReplyLine(const std::string& line);

// Raises EConvertError "'%s' is not a valid integer value" when the code is no integer.
TIdHTTPStatus ParseStatusLine(const std::string& line);

// Header lines up to the empty line that ends them (not kept); `lines` is emptied first.
// More than maxLines lines raise EIdTooManyHeaderLines, more than maxBytes bytes (line
// ends counted) EIdReplyTooLarge, `lines` emptied again. Returns the bytes read.
int64_t ReadReplyHeader(TIdHTTPReplySource& source, TIdHeaderList& lines,
                        int32_t maxLines = DefaultMaxHeaderLines, int64_t maxBytes = DefaultMaxReplySize);

// A chunk-size line: the hexadecimal digits before any extension (";") or blank. No
// digits raise EConvertError; a size too large for any bound reads as INT64_MAX.
int64_t ChunkSize(const std::string& line);

// The body of a reply whose header is in `reply`, appended to the stream at its position;
// the stream is cut at the end of the body. `onChunked` is called when a chunked body
// starts. A body of more than maxBody bytes raises EIdReplyTooLarge, announced lengths
// before anything is read, and the stream is cut back to where the body began. A chunk's
// data not followed by its line end raises EIdChunkTooLong. A chunked body's trailer may
// have maxLines lines, as a header.
void ReadReplyBody(TIdHTTPReplySource& source, const TIdHeaderInfo& reply, TIdStream& stream,
                   const std::function<void()>& onChunked = {}, int64_t maxBody = DefaultMaxReplySize,
                   int32_t maxLines = DefaultMaxHeaderLines);
