#include "net/http/id_http_memory_source.h"
#include "net/http/id_http_reply_reader.h"
#include "net/socket/id_exceptions.h"
#include "runtime/exception.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(StatusLine, CodeTextAndVersionAreTakenApart)
{
    const struct { const char* line; const char* replyLine; int32_t code; bool reply10; } cases[] = {
        {"HTTP/1.1 404 Not Found", "404 Not Found", 404, false},
        {"HTTP/1.0 200 OK", "200 OK", 200, true},
        {"http/1.0 201", "201", 201, true},
        {"HTTP/1.1 202 Accepted ", "202 Accepted ", 202, false},
        {"HTTP/1.01 200 OK", "200 OK", 200, true},  // characters 6 to 8 decide
    };
    for (const auto& c : cases) {
        const TIdHTTPStatus status = ParseStatusLine(c.line);
        EXPECT_EQ(status.ReplyLine, c.replyLine) << c.line;
        EXPECT_EQ(status.StatusCode, c.code) << c.line;
        EXPECT_EQ(status.Reply10, c.reply10) << c.line;
    }
    const struct { const char* line; const char* message; } bad[] = {
        {"HTTP/1.1 OK", "'OK' is not a valid integer value"},
        {"HTTP/1.1", "'' is not a valid integer value"},
        {"", "'' is not a valid integer value"},
        {"HTTP/1.1  200 OK", "'' is not a valid integer value"},
    };
    for (const auto& c : bad) {
        try {
            ParseStatusLine(c.line);
            ADD_FAILURE() << c.line;
        } catch (const EConvertError& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
}

TEST(ChunkSizeLine, IsTheHexadecimalDigitsBeforeAnExtension)
{
    const struct { const char* line; int64_t size; } cases[] = {
        {"5", 5}, {"1a", 26}, {"FF", 255}, {"10 ", 16}, {"10 ignored", 16}, {"0", 0}, {"5;ext=1", 5},
        {"a\t;x", 10}, {"7fffffff", 0x7fffffff}, {"80000000", 0x80000000LL}, {"1234567890abcdef0", INT64_MAX},
    };
    for (const auto& c : cases) EXPECT_EQ(ChunkSize(c.line), c.size) << c.line;
    for (const char* line : {"", "zz", "-5", ";ext", "0x5"})
        EXPECT_THROW(ChunkSize(line), EConvertError) << line;
}

// Header lines given "\r\n" separated.
TIdHeaderList HeaderLines(std::string header)
{
    TIdHeaderList lines;
    for (size_t at = 0; !header.empty(); header = at == std::string::npos ? "" : header.substr(at + 2))
        lines.Add(header.substr(0, at = header.find("\r\n")));
    return lines;
}

struct BodyCase {
    const char* name;
    const char* header;  // header lines, "\r\n" separated
    std::string wire;    // what follows the header on the connection
    std::string body;    // what lands in the stream
    size_t left;         // bytes left unread for the next reply
};

TEST(ReplyBody, TheThreeWaysOfFindingTheEnd)
{
    const BodyCase cases[] = {
        {"length", "Content-Length: 12", "hello world!NEXT", "hello world!", 4},
        {"zero length means empty", "Content-Length: 0", "NEXT", "", 4},
        {"no length reads to the close", "", "all of it", "all of it", 0},
        {"chunked", "Transfer-Encoding: chunked", "5\r\nhello\r\n0\r\n\r\nNEXT", "hello", 4},
        {"chunks joined", "Transfer-Encoding: chunked", "3\r\nabc\r\nA\r\n0123456789\r\n0\r\n\r\n", "abc0123456789", 0},
        {"chunk extensions ignored", "Transfer-Encoding: chunked", "5;a=b\r\nhello\r\n1 ;c\r\n!\r\n0;d\r\n\r\nN", "hello!", 1},
        {"trailers are consumed", "Transfer-Encoding: chunked", "1\r\nx\r\n0\r\nT: 1\r\n\r\nN", "x", 1},
        {"chunked is case-sensitive", "Transfer-Encoding: Chunked", "5\r\nhello", "5\r\nhello", 0},
        {"a repeated equal length", "Content-Length: 3\r\nContent-Length: 3 ", "abcdef", "abc", 3},
        {"length wins over chunks", "Transfer-Encoding: chunked\r\nContent-Length: 3", "abcdef", "abc", 3},
        {"chunks win over a zero length", "Content-Length: 0\r\nTransfer-Encoding: chunked", "1\r\nz\r\n0\r\n\r\n", "z", 0},
    };
    for (const auto& c : cases) {
        TIdHeaderList lines = HeaderLines(c.header);
        TIdHeaderInfo reply;
        reply.ProcessReplyHeaders(lines);
        TIdHTTPMemorySource source(c.wire);
        TIdMemoryStream stream;
        bool chunked = false;
        ReadReplyBody(source, reply, stream, [&chunked] { chunked = true; });
        EXPECT_EQ(stream.Bytes(), c.body) << c.name;
        EXPECT_EQ(source.Remaining(), c.left) << c.name;
        EXPECT_EQ(chunked, std::string(c.header).find("chunked") != std::string::npos &&
                               std::string(c.header).find("Content-Length: 3") == std::string::npos)
            << c.name;
    }
}

TEST(ReplyBody, ABodyReadOverALongerOneCutsItsTail)
{
    TIdMemoryStream stream(std::string("a much longer earlier body"));
    stream.SetPosition(0);
    TIdHeaderInfo reply;
    reply.HasContentLength = true;
    TIdHTTPMemorySource source("");
    ReadReplyBody(source, reply, stream);
    EXPECT_EQ(stream.Bytes(), "");
}

// Bounds and framing of a reply read from memory too (where the fuzzer reads it): a body
// over the bound is cut back out of the stream; header and trailer lines are counted; a
// size that does not convert or a short body is an error, never a cut body passed as whole.
TEST(ReplyBounds, PastTheBoundOrOutOfFrameTheReplyIsRefused)
{
    const std::string trailer = "1\r\nz\r\n0\r\nT: 1\r\nT: 2\r\nT: 3\r\n\r\n";
    const struct { const char* name; const char* header; std::string wire; const char* message; } cases[] = {
        {"at the bound", "Content-Length: 8", "12345678", ""},
        {"length over the bound", "Content-Length: 9", "123456789", "Reply too large."},
        {"length past 32 bits", "Content-Length: 99999999999", "123", "Reply too large."},
        {"length not a number", "Content-Length: 1x", "123", "'1x' is not a valid integer value"},
        {"length negative", "Content-Length: -4", "1234", "'-4' is not a valid integer value"},
        {"two lengths", "Content-Length: 3\r\ncontent-length:  5 ", "12345", "'3, 5' is not a valid integer value"},
        {"short body", "Content-Length: 5", "123", "Connection Closed Gracefully."},
        {"chunks over the bound", "Transfer-Encoding: chunked", "5\r\n12345\r\n4\r\n6789\r\n0\r\n\r\n", "Reply too large."},
        {"chunk past 31 bits", "Transfer-Encoding: chunked", "80000000\r\n123\r\n0\r\n\r\n", "Reply too large."},
        {"chunk size not a number", "Transfer-Encoding: chunked", "1\r\nz\r\nzz\r\n", "'zz' is not a valid integer value"},
        {"short chunk", "Transfer-Encoding: chunked", "5\r\n123", "Connection Closed Gracefully."},
        {"chunk past its size", "Transfer-Encoding: chunked", "3\r\n12345\r\n0\r\n\r\n", "Chunk longer than its size."},
        {"close over the bound", "", "123456789", "Reply too large."},
        {"trailer lines", "Transfer-Encoding: chunked", trailer, "Too many header lines."},
    };
    for (const auto& c : cases) {
        TIdHeaderList header = HeaderLines(c.header);
        TIdHTTPMemorySource source(c.wire);
        TIdMemoryStream stream("pre");
        stream.SetPosition(3);
        std::string message;
        try {
            TIdHeaderInfo reply;
            reply.ProcessReplyHeaders(header);
            ReadReplyBody(source, reply, stream, {}, 8, 2);
        } catch (const Exception& e) {
            message = e.what();
        }
        EXPECT_EQ(message, c.message) << c.name;
        if (message == "Reply too large.") {
            EXPECT_EQ(stream.Bytes(), "pre") << c.name;
        }
    }
    // A header's bytes count, line ends included, as its lines do.
    TIdHTTPMemorySource fits("AAA: 1\r\n\r\n"), large("AAAA: 1\r\n\r\n"), many("A: 1\r\nB: 2\r\nC: 3\r\n\r\n");
    TIdHeaderList lines;
    EXPECT_EQ(ReadReplyHeader(fits, lines, 2, 8), 10);
    EXPECT_THROW(ReadReplyHeader(large, lines, 2, 8), EIdReplyTooLarge);
    EXPECT_EQ(lines.Count(), 0);
    EXPECT_THROW(ReadReplyHeader(many, lines, 2, 100), EIdTooManyHeaderLines);
}

TEST(ReplyHeader, LinesUpToTheEmptyLineContinuationsKept)
{
    TIdHTTPMemorySource source("A: 1\r\n folded\nB: 2\r\n\r\nbody");
    TIdHeaderList lines;
    lines.Add("stale");
    ReadReplyHeader(source, lines);
    ASSERT_EQ(lines.Count(), 3);
    EXPECT_EQ(lines[1], " folded");
    EXPECT_EQ(lines.ValueOf("a"), "1 folded");
    EXPECT_EQ(source.Remaining(), 4u);

    TIdHTTPMemorySource cut("A: 1\r\n");
    EXPECT_THROW(ReadReplyHeader(cut, lines), EIdConnClosedGracefully);
}

}  // namespace
