// Splits arbitrary bytes as a URL, as a Location header may carry one. The parts never
// hold what separates them, the path always starts with "/", and together they are no
// longer than the URL and that "/".
#include "net/http/id_uri.h"
#include "fuzz/fail_if.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string url(reinterpret_cast<const char*>(data), size);
    const TIdURI parts = SplitUrl(url);

    FailIf(parts.Path.empty() || parts.Path[0] != '/');
    FailIf(parts.Host.find('/') != std::string::npos);
    FailIf(parts.Host.find(':') != std::string::npos && url.find('[' + parts.Host + ']') == std::string::npos);
    FailIf(parts.Resource.find('/') != std::string::npos);
    FailIf((parts.Path + parts.Resource).find('#') != std::string::npos);
    const std::string all = parts.Protocol + parts.Host + parts.Port + parts.Path + parts.Resource + parts.Fragment;
    FailIf(all.find('\\') != std::string::npos);
    FailIf(all.size() > size + 1);
    return 0;
}
