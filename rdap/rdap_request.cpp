#include "rdap/rdap_request.h"

#include "net/socket/id_anti_freeze.h"
#include "rdap/rdap_error.h"

#include <curl/curl.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string_view>

namespace {

struct TTransfer {
    TRdapReply Reply;
    size_t MaxBody = 0;
    bool TooLarge = false;
};

size_t OnBody(char* data, size_t size, size_t count, void* user)
{
    auto& transfer = *static_cast<TTransfer*>(user);
    const size_t bytes = size * count;
    if (bytes > transfer.MaxBody - transfer.Reply.Body.size()) {
        transfer.TooLarge = true;
        return 0;
    }
    transfer.Reply.Body.append(data, bytes);
    return bytes;
}

size_t OnHeader(char* data, size_t size, size_t count, void* user)
{
    auto& transfer = *static_cast<TTransfer*>(user);
    const std::string_view line(data, size * count);
    constexpr std::string_view name = "retry-after:";
    // A new status line starts the headers of the next reply of a redirect chain.
    if (line.substr(0, 5) == "HTTP/") transfer.Reply.RetryAfter.clear();
    if (line.size() < name.size()) return line.size();
    for (size_t i = 0; i < name.size(); ++i)
        if ((line[i] | 0x20) != name[i]) return line.size();
    std::string_view value = line.substr(name.size());
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
    while (!value.empty() && static_cast<unsigned char>(value.back()) <= ' ') value.remove_suffix(1);
    transfer.Reply.RetryAfter.assign(value.substr(0, 64));
    return line.size();
}

void InitOnce()
{
    static const bool done = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    if (!done) throw ERdapError("The HTTPS library cannot start.");
}

// The transfer. With the idle-time hook it runs through a multi handle polled in slices,
// the hook turning between them; a stop raises EIdStopped, and the handle leaves the
// transfer half-done, which aborts it.
CURLcode Perform(CURL* c)
{
    if (TIdAntiFreezeBase::Instance() == nullptr) return curl_easy_perform(c);
    // A stop during the server's name lookup must not wait for the resolver's thread,
    // which the library otherwise joins when the transfer is dropped.
    curl_easy_setopt(c, CURLOPT_QUICK_EXIT, 1L);
    std::unique_ptr<CURLM, CURLMcode (*)(CURLM*)> multi(curl_multi_init(), curl_multi_cleanup);
    if (!multi || curl_multi_add_handle(multi.get(), c) != CURLM_OK) return CURLE_OUT_OF_MEMORY;
    struct TAdded {
        CURLM* Multi;
        CURL* Easy;
        ~TAdded() { curl_multi_remove_handle(Multi, Easy); }
    } added{multi.get(), c};
    for (;;) {
        int running = 0;
        if (curl_multi_perform(multi.get(), &running) != CURLM_OK) return CURLE_FAILED_INIT;
        if (running == 0) break;
        if (curl_multi_poll(multi.get(), nullptr, 0, TIdAntiFreezeBase::TurnMs, nullptr) != CURLM_OK)
            return CURLE_FAILED_INIT;
        TIdAntiFreezeBase::DoProcess(std::chrono::milliseconds(TIdAntiFreezeBase::TurnMs / 2));
    }
    int left = 0;
    while (const CURLMsg* message = curl_multi_info_read(multi.get(), &left))
        if (message->msg == CURLMSG_DONE) return message->data.result;
    return CURLE_FAILED_INIT;
}

}  // namespace

TRdapReply RdapGet(const std::string& url, const TRdapLimits& limits)
{
    InitOnce();
    std::unique_ptr<CURL, void (*)(CURL*)> curl(curl_easy_init(), curl_easy_cleanup);
    if (!curl) throw ERdapError("The HTTPS library cannot start.");
    std::unique_ptr<curl_slist, void (*)(curl_slist*)> headers(
        curl_slist_append(nullptr, "Accept: application/rdap+json"), curl_slist_free_all);
    TTransfer transfer;
    transfer.MaxBody = limits.MaxBody;
    char detail[CURL_ERROR_SIZE] = "";
    CURL* c = curl.get();
    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "https");
    curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "https");
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(c, CURLOPT_MAXREDIRS, limits.MaxRedirects);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, limits.WaitMs);
    curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, limits.WholeMs);
    // Less than one byte a second for a whole wait is a silent server.
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, (limits.WaitMs + 999) / 1000);
    curl_easy_setopt(c, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.MaxBody));
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_USERAGENT, "Norvane");
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, detail);
    // The bundle named by SSL_CERT_FILE replaces the system's trust store, folder included.
    if (const char* bundle = std::getenv("SSL_CERT_FILE"); bundle != nullptr && *bundle != '\0') {
        curl_easy_setopt(c, CURLOPT_CAINFO, bundle);
        curl_easy_setopt(c, CURLOPT_CAPATH, nullptr);
    }
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(c, CURLOPT_HEADERDATA, &transfer);

    const CURLcode result = Perform(c);
    if (transfer.TooLarge || result == CURLE_FILESIZE_EXCEEDED)
        throw ERdapError("RDAP reply from " + url + " is larger than " + std::to_string(limits.MaxBody >> 20) + " MB.");
    if (result != CURLE_OK) {
        std::string cause = *detail != '\0' ? detail : curl_easy_strerror(result);
        if (result == CURLE_UNSUPPORTED_PROTOCOL) cause = "redirected away from https (" + cause + ")";
        throw ERdapError("RDAP request to " + url + " failed: " + cause + ".");
    }
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &transfer.Reply.Status);
    const char* answered = nullptr;
    transfer.Reply.Url = curl_easy_getinfo(c, CURLINFO_EFFECTIVE_URL, &answered) == CURLE_OK && answered ? answered : url;
    return std::move(transfer.Reply);
}
