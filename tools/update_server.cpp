// The update server for Norvane's data files.
//
//   norvane-update-server [--address A] [--port P] [--data-dir DIR]
//
// GET /update-whois.php?date=STAMP&name=dns|whois answers 201 (empty) when STAMP equals
// the stamp of DIR/dns.dat or DIR/whois.dat (line 1 less its first character, trimmed),
// and 202 with the whole file otherwise. name=rdap, ipv4, ipv6 and asn hand out the
// bootstrap files DIR/rdap.json, ipv4.json, ipv6.json and asn.json the same way, the stamp
// being the file's "publication" member; without the file the name is unknown (404). HTTP/1.1 with keep-alive; every reply carries a
// Content-Length. The files are read on every request, so replacing one takes effect at
// once. Prints "listening on ADDRESS:PORT" once ready (useful with --port 0).

#include "rdap/bootstrap.h"
#include "runtime/files.h"
#include "runtime/text.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr size_t kMaxHead = 16 * 1024;     // request line and header lines together
constexpr size_t kMaxIgnoredBody = 1 << 20;  // a GET should carry no body; tolerate a small one
constexpr int kIdleMilliseconds = 60000;   // a kept connection idle this long is closed
constexpr int kMaxConnections = 256;       // one thread each; more are turned away at once

std::atomic<int> gConnections{0};

std::mutex gLogMutex;

void Log(const std::string& line)
{
    std::lock_guard<std::mutex> lock(gLogMutex);
    std::cout << line << std::endl;
}

struct Options {
    std::string Address = "0.0.0.0";
    int Port = 80;
    std::string DataDir = ".";
};

bool SendAll(int fd, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// Reads more bytes into `buffer`; false on close, error or idle time-out.
bool ReadMore(int fd, std::string& buffer)
{
    pollfd p{fd, POLLIN, 0};
    int ready;
    do {
        ready = ::poll(&p, 1, kIdleMilliseconds);
    } while (ready < 0 && errno == EINTR);
    if (ready <= 0) return false;
    char chunk[8192];
    ssize_t n;
    do {
        n = ::recv(fd, chunk, sizeof chunk, 0);
    } while (n < 0 && errno == EINTR);
    if (n <= 0) return false;
    buffer.append(chunk, static_cast<size_t>(n));
    return true;
}

struct Reply {
    int Code = 200;
    const char* Reason = "OK";
    std::string Body;
    bool Close = false;
};

std::string Serialize(const Reply& reply)
{
    std::string head = "HTTP/1.1 " + std::to_string(reply.Code) + " " + reply.Reason + "\r\n";
    head += "Server: norvane-update-server\r\n";
    head += "Content-Length: " + std::to_string(reply.Body.size()) + "\r\n";
    if (!reply.Body.empty()) head += "Content-Type: text/plain; charset=windows-1252\r\n";
    if (reply.Close) head += "Connection: close\r\n";
    return head + "\r\n" + reply.Body;
}

Reply Error(int code, const char* reason)
{
    Reply reply;
    reply.Code = code;
    reply.Reason = reason;
    reply.Body = std::to_string(code) + " " + reason + "\r\n";
    return reply;
}

// The value of `key` in a query "a=1&b=2", percent-decoded as a web server's scripts get
// it; false when absent.
bool QueryValue(const std::string& query, const std::string& key, std::string& value)
{
    size_t start = 0;
    while (start <= query.size()) {
        size_t end = query.find('&', start);
        if (end == std::string::npos) end = query.size();
        const std::string pair = query.substr(start, end - start);
        const size_t equals = pair.find('=');
        if (pair.substr(0, equals) == key) {
            value = equals == std::string::npos ? std::string() : QueryDecoded(pair.substr(equals + 1));
            return true;
        }
        start = end + 1;
    }
    return false;
}

std::string DatStamp(const std::string& file)
{
    const std::vector<std::string> lines = SplitLines(file);
    return lines.empty() || lines[0].empty() ? std::string() : Trim(lines[0].substr(1));
}

bool IsBootstrap(const std::string& name) { return name == "rdap" || name == "ipv4" || name == "ipv6" || name == "asn"; }

// A bootstrap file that cannot be read has no stamp: every client gets it. The address and
// AS files have the domains' shape (lists of strings), so one reader serves them all.
std::string PublicationStamp(const std::string& file)
{
    TRdapBootstrap bootstrap;
    try {
        bootstrap.Load(file);
    } catch (const std::exception&) {
        return {};
    }
    return bootstrap.Publication();
}

Reply Answer(const Options& options, const std::string& method, const std::string& target)
{
    if (method != "GET") return Error(405, "Method Not Allowed");
    const size_t question = target.find('?');
    const std::string path = target.substr(0, question);
    const std::string query = question == std::string::npos ? std::string() : target.substr(question + 1);
    if (path != "/update-whois.php") return Error(404, "Not Found");
    std::string stamp, name;
    if (!QueryValue(query, "date", stamp) || !QueryValue(query, "name", name)) return Error(400, "Bad Request");
    if (name != "dns" && name != "whois" && !IsBootstrap(name)) return Error(404, "Not Found");

    std::string file;
    try {
        file = ReadFileBytes(options.DataDir + "/" + name + (IsBootstrap(name) ? ".json" : ".dat"));
    } catch (const std::exception&) {
        return Error(404, "Not Found");
    }
    const std::string current = IsBootstrap(name) ? PublicationStamp(file) : DatStamp(file);
    Reply reply;
    if (!current.empty() && stamp == current) {
        reply.Code = 201;
        reply.Reason = "Created";
    } else {
        reply.Code = 202;
        reply.Reason = "Accepted";
        reply.Body = file;
    }
    return reply;
}

void Serve(int fd, const Options& options, const std::string& peer)
{
    std::string buffer;
    for (;;) {
        size_t headEnd;
        while ((headEnd = buffer.find("\r\n\r\n")) == std::string::npos) {
            if (buffer.size() > kMaxHead) {
                SendAll(fd, Serialize([] { Reply r = Error(431, "Request Header Fields Too Large"); r.Close = true; return r; }()));
                return;
            }
            if (!ReadMore(fd, buffer)) return;
        }
        const std::string head = buffer.substr(0, headEnd);
        buffer.erase(0, headEnd + 4);

        const size_t lineEnd = head.find("\r\n");
        const std::string requestLine = head.substr(0, lineEnd);
        const std::string headers = lineEnd == std::string::npos ? std::string() : head.substr(lineEnd + 2);
        const size_t firstSpace = requestLine.find(' ');
        const size_t lastSpace = requestLine.rfind(' ');
        const std::string version = lastSpace == std::string::npos ? std::string() : requestLine.substr(lastSpace + 1);
        Reply reply;
        bool keep = true;
        if (firstSpace == std::string::npos || firstSpace == lastSpace || version.rfind("HTTP/1.", 0) != 0) {
            reply = Error(400, "Bad Request");
            keep = false;
        } else {
            const std::string method = requestLine.substr(0, firstSpace);
            const std::string target = requestLine.substr(firstSpace + 1, lastSpace - firstSpace - 1);
            // Header names without regard to case; only the ones that decide framing matter.
            size_t bodyLength = 0;
            bool badFraming = false;
            for (const std::string& line : SplitLines(headers)) {
                const size_t colon = line.find(':');
                if (colon == std::string::npos) continue;
                const std::string name = LowerCase(line.substr(0, colon));
                const std::string value = Trim(line.substr(colon + 1));
                if (name == "connection" && SameText(value, "close")) keep = false;
                if (name == "transfer-encoding") badFraming = true;
                if (name == "content-length") {
                    char* end = nullptr;
                    const unsigned long long n = std::strtoull(value.c_str(), &end, 10);
                    if (value.empty() || *end != '\0' || n > kMaxIgnoredBody) badFraming = true;
                    else bodyLength = static_cast<size_t>(n);
                }
            }
            if (version == "HTTP/1.0") keep = false;
            if (badFraming) {
                reply = Error(400, "Bad Request");
                keep = false;
            } else {
                while (buffer.size() < bodyLength)
                    if (!ReadMore(fd, buffer)) return;
                buffer.erase(0, bodyLength);
                reply = Answer(options, method, target);
            }
            Log(peer + " \"" + requestLine + "\" " + std::to_string(reply.Code));
        }
        reply.Close = !keep;
        if (!SendAll(fd, Serialize(reply)) || !keep) return;
    }
}

bool ParseOptions(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc) return false;
        const std::string value = argv[++i];
        if (arg == "--address") {
            options.Address = value;
        } else if (arg == "--port") {
            char* end = nullptr;
            const long port = std::strtol(value.c_str(), &end, 10);
            if (value.empty() || *end != '\0' || port < 0 || port > 65535) return false;
            options.Port = static_cast<int>(port);
        } else if (arg == "--data-dir") {
            options.DataDir = value;
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::cerr << "usage: norvane-update-server [--address A] [--port P] [--data-dir DIR]\n";
        return 2;
    }
    std::signal(SIGPIPE, SIG_IGN);

    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener < 0) {
        std::perror("socket");
        return 1;
    }
    const int on = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(options.Port));
    if (::inet_pton(AF_INET, options.Address.c_str(), &address.sin_addr) != 1) {
        std::cerr << "not an IPv4 address: " << options.Address << "\n";
        return 2;
    }
    if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listener, 64) != 0) {
        std::perror("bind");
        return 1;
    }
    socklen_t length = sizeof address;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    Log("listening on " + options.Address + ":" + std::to_string(ntohs(address.sin_port)));

    for (;;) {
        sockaddr_in peer{};
        socklen_t peerLength = sizeof peer;
        const int fd = ::accept4(listener, reinterpret_cast<sockaddr*>(&peer), &peerLength, SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED || errno == EMFILE || errno == ENFILE) {
                if (errno == EMFILE || errno == ENFILE) std::this_thread::sleep_for(std::chrono::milliseconds(50));
                continue;
            }
            std::perror("accept");
            return 1;
        }
        if (gConnections.load() >= kMaxConnections) {
            ::close(fd);
            continue;
        }
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        char text[INET_ADDRSTRLEN] = "?";
        ::inet_ntop(AF_INET, &peer.sin_addr, text, sizeof text);
        const std::string name = std::string(text) + ":" + std::to_string(ntohs(peer.sin_port));
        ++gConnections;
        std::thread([fd, options, name] {
            Serve(fd, options, name);
            ::close(fd);
            --gConnections;
        }).detach();
    }
}
