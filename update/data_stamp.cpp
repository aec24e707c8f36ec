#include "update/data_stamp.h"

#include "rdap/bootstrap.h"
#include "rdap/rdap_error.h"

#include "runtime/text.h"

#include <algorithm>

namespace {

// Far longer than any date; the stamp travels in a request line.
constexpr size_t kMaxPublication = 256;

}  // namespace

bool StampOfText(std::string_view text, std::string& stamp)
{
    const std::vector<std::string> lines = SplitLines(text);
    if (lines.empty() || lines.front().find('#') == std::string::npos) return false;
    stamp = Trim(std::string_view(lines.front()).substr(1));
    return true;
}

bool PublicationOfText(std::string_view text, std::string& stamp)
{
    TRdapBootstrap bootstrap;
    try {
        bootstrap.Load(text);
    } catch (const ERdapBootstrapError&) {
        return false;
    }
    // Any printable text reads back as itself, so that an accepted file keeps its stamp;
    // a control character or an overlong member is no stamp.
    const std::string& publication = bootstrap.Publication();
    const bool usable = publication.size() <= kMaxPublication &&
                        std::none_of(publication.begin(), publication.end(), [](char c) {
                            return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
                        });
    stamp = usable ? publication : std::string();
    return true;
}

std::string PublicationQueryValue(std::string_view stamp) { return PercentEncoded(stamp, "-.:_~"); }

bool StampIsNewer(std::string_view a, std::string_view b)
{
    const auto digits = [](std::string_view s) { return !s.empty() && s.find_first_not_of("0123456789") == s.npos; };
    if (digits(a) && digits(b)) {
        a.remove_prefix(std::min(a.find_first_not_of('0'), a.size()));
        b.remove_prefix(std::min(b.find_first_not_of('0'), b.size()));
        if (a.size() != b.size()) return a.size() > b.size();
    }
    return a > b;
}

std::string DataFileBytes(std::string_view body)
{
    std::string bytes;
    bytes.reserve(body.size() + body.size() / 16);
    for (const std::string& line : SplitLines(body)) {
        bytes += line;
        bytes += "\r\n";
    }
    return bytes;
}
