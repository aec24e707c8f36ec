#include "net/http/id_http_memory_source.h"

#include "net/socket/id_exceptions.h"

std::string TIdHTTPMemorySource::ReadLine()
{
    const size_t end = FBytes.find('\n', FOffset);
    if (end == std::string::npos) throw EIdConnClosedGracefully();
    std::string line = FBytes.substr(FOffset, end - FOffset);
    FOffset = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

void TIdHTTPMemorySource::ReadBytes(TIdStream& stream, int32_t count)
{
    if (count <= 0) return;
    const size_t remaining = FBytes.size() - FOffset;
    const size_t taken = std::min(remaining, static_cast<size_t>(count));
    stream.Write(FBytes.data() + FOffset, static_cast<int64_t>(taken));
    FOffset += taken;
    if (taken < static_cast<size_t>(count)) throw EIdConnClosedGracefully();
}

void TIdHTTPMemorySource::ReadUntilClosed(TIdStream& stream)
{
    stream.Write(FBytes.data() + FOffset, static_cast<int64_t>(FBytes.size() - FOffset));
    FOffset = FBytes.size();
}
