#include "named_peer.h"

#include "net/dns/id_dns_resolver.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

namespace {

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// A port free for both UDP and TCP on 127.0.0.1, as the system assigns it.
int FreePort() {
    for (int attempt = 0; attempt < 20; ++attempt) {
        const int udp = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(udp, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::getsockname(udp, reinterpret_cast<sockaddr*>(&address), &length);
        const int tcp = ::socket(AF_INET, SOCK_STREAM, 0);
        const bool tcpFree = ::bind(tcp, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        ::close(tcp);
        ::close(udp);
        if (tcpFree) return ntohs(address.sin_port);
    }
    return 0;
}

std::string LastLine(const std::string& path) {
    std::ifstream in(path);
    std::string line, last;
    while (std::getline(in, line))
        if (!line.empty()) last = line;
    return last;
}

bool Answers(int port, const std::string& zone) {
    TIdDNSResolver resolver;
    resolver.Host = "127.0.0.1";
    resolver.Port = port;
    resolver.ReceiveTimeout = 200;
    resolver.DNSHeader.SetRD(true);
    TQuestionItem& q = resolver.Questions.Add();
    q.QName = zone;
    q.QType = 6;
    q.QClass = 1;
    try {
        resolver.Resolve();
        return resolver.Answers.Count() > 0;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace

NamedPeer::NamedPeer(const std::string& primaryZone, const std::string& primaryText,
                     const std::string& reverseText)
    : FPrimaryZone(primaryZone) {
    char folder[] = "/tmp/norvane-named-XXXXXX";
    if (::mkdtemp(folder)) FFolder = folder;
    ::chmod(FFolder.c_str(), 0755);
    WriteFile(FFolder + "/primary.zone", primaryText);
    WriteFile(FFolder + "/reverse.zone", reverseText);
}

NamedPeer::~NamedPeer() {
    Stop();
    if (!FFolder.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(FFolder, ignored);
    }
}

bool NamedPeer::Start(std::string& reason) {
    if (FFolder.empty()) {
        reason = "cannot create a temporary folder";
        return false;
    }
    FPort = FreePort();
    const std::string conf = FFolder + "/named.conf";
    WriteFile(conf,
              "options {\n"
              "  directory \"" + FFolder + "\";\n"
              "  pid-file none;\n"
              "  session-keyfile \"" + FFolder + "/session.key\";\n"
              "  managed-keys-directory \"" + FFolder + "\";\n"
              "  listen-on port " + std::to_string(FPort) + " { 127.0.0.1; };\n"
              "  listen-on-v6 { none; };\n"
              "  recursion no;\n"
              "  dnssec-validation no;\n"
              "  notify no;\n"
              "  minimal-responses no;\n"
              "};\n"
              "controls { };\n"
              "zone \"" + FPrimaryZone + "\" { type primary; file \"primary.zone\"; };\n"
              "zone \"2.0.192.in-addr.arpa\" { type primary; file \"reverse.zone\"; };\n");
    const std::string log = FFolder + "/named.log";
    FPid = ::fork();
    if (FPid == 0) {
        const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(out, 1);
        ::dup2(out, 2);
        std::vector<const char*> args = {"named", "-c", conf.c_str(), "-g"};
        if (::geteuid() == 0) {  // as root it must be told to stay root
            args.push_back("-u");
            args.push_back("root");
        }
        args.push_back(nullptr);
        ::execvp("named", const_cast<char* const*>(args.data()));
        ::_exit(127);
    }
    if (FPid < 0) {
        reason = "cannot fork";
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (::waitpid(FPid, &status, WNOHANG) == FPid) {
            FPid = -1;
            reason = WIFEXITED(status) && WEXITSTATUS(status) == 127
                         ? "named is not installed"
                         : "named stopped: " + LastLine(log);
            return false;
        }
        if (Answers(FPort, FPrimaryZone)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    reason = "named did not answer within 15 s: " + LastLine(log);
    return false;
}

void NamedPeer::Stop() {
    if (FPid <= 0) return;
    ::kill(FPid, SIGTERM);
    for (int i = 0; i < 100; ++i) {
        if (::waitpid(FPid, nullptr, WNOHANG) == FPid) {
            FPid = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ::kill(FPid, SIGKILL);
    ::waitpid(FPid, nullptr, 0);
    FPid = -1;
}

std::string RunAndRead(const std::string& command) {
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
        ::pclose(pipe);
    }
    return out;
}
