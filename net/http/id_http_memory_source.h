#pragma once
#include "net/http/id_http_reply_reader.h"

#include <string>

// A reply held in memory, ending where the bytes end as a connection ends at the peer's
// close. Lets the reply reading be exercised without a socket.
class TIdHTTPMemorySource : public TIdHTTPReplySource {
public:
    explicit TIdHTTPMemorySource(std::string bytes) : FBytes(std::move(bytes)) {}

    std::string ReadLine() override;
    void ReadBytes(TIdStream& stream, int32_t count) override;
    void ReadUntilClosed(TIdStream& stream) override;

    size_t Remaining() const { return FBytes.size() - FOffset; }

private:
    std::string FBytes;
    size_t FOffset = 0;
};
