#include "named_peer.h"

#include "net/dns/id_dns_resolver.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
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

NamedPeer::NamedPeer(std::vector<PeerZone> zones, std::string options)
    : FZones(std::move(zones)), FOptions(std::move(options)) {
    char folder[] = "/tmp/norvane-named-XXXXXX";
    if (::mkdtemp(folder)) FFolder = folder;
    ::chmod(FFolder.c_str(), 0755);
    for (const PeerZone& zone : FZones) WriteFile(FFolder + "/" + zone.Name + ".zone", zone.Text);
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
    if (!SignZones(reason)) return false;
    FPort = FreePort();
    std::string zones;
    for (const PeerZone& zone : FZones)
        zones += "zone \"" + zone.Name + "\" { type primary; file \"" + zone.Name + ".zone" +
                 (zone.Signed ? ".signed" : "") + "\"; };\n";
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
              // Records of a set in zone order, so a truncated reply holds the same ones each time.
              "  rrset-order { order none; };\n"
              "  " + FOptions + "\n"
              "};\n"
              "controls { };\n" + zones);
    const std::string log = FFolder + "/named.log";
    FPid = ::fork();
    if (FPid == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);  // the server ends with the test, however the test ends
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
        if (Answers(FPort, FZones.front().Name)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    reason = "named did not answer within 15 s: " + LastLine(log);
    return false;
}

bool NamedPeer::SignZones(std::string& reason) const {
    for (const PeerZone& zone : FZones) {
        if (!zone.Signed) continue;
        // A zone-signing and a key-signing key, then the zone signed with both.
        const std::string in = "cd " + FFolder + " && ";
        const std::string keygen = "dnssec-keygen -q -K . -a ECDSAP256SHA256 -n ZONE ";
        const std::string command =
            in + keygen + zone.Name + " >/dev/null && " + keygen + "-f KSK " + zone.Name + " >/dev/null && " +
            "dnssec-signzone -q -K . -S -o " + zone.Name + " -f " + zone.Name + ".zone.signed " + zone.Name +
            ".zone >/dev/null 2>&1 && echo signed";
        if (RunAndRead(command) != "signed\n") {
            reason = "cannot sign " + zone.Name + " (dnssec-keygen and dnssec-signzone are needed)";
            return false;
        }
    }
    return true;
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
