#include "tests/unit/update/update_test_support.h"

#include "runtime/files.h"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace updatetest {

TempDir::TempDir()
{
    char pattern[] = "/tmp/norvane-update-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) throw std::runtime_error("mkdtemp failed");
    FPath = std::string(pattern) + "/";
}

TempDir::~TempDir() { std::system(("rm -rf '" + FPath + "'").c_str()); }

void TempDir::Write(const std::string& name, const std::string& bytes) const { WriteFileBytes(FPath + name, bytes); }

std::string TempDir::Read(const std::string& name) const { return ReadFileBytes(FPath + name); }

bool TempDir::Exists(const std::string& name) const { return ::access((FPath + name).c_str(), F_OK) == 0; }

UpdateServerProcess::UpdateServerProcess(const std::string& dataDir)
{
    const std::string binary = std::string(NORVANE_BIN_DIR) + "/norvane-update-server";
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) throw std::runtime_error("pipe2 failed");
    FPid = ::fork();
    if (FPid == 0) {
        ::dup2(pipeFds[1], 1);
        ::execl(binary.c_str(), binary.c_str(), "--address", "127.0.0.1", "--port", "0", "--data-dir",
                dataDir.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    FOutput = pipeFds[0];
    // The first line gives the port: "listening on 127.0.0.1:PORT".
    while (FBuffered.find('\n') == std::string::npos) {
        pollfd p{FOutput, POLLIN, 0};
        char chunk[256];
        ssize_t n = 0;
        if (::poll(&p, 1, 5000) <= 0 || (n = ::read(FOutput, chunk, sizeof chunk)) <= 0)
            throw std::runtime_error("the update server did not start: " + binary);
        FBuffered.append(chunk, static_cast<size_t>(n));
    }
    const std::string first = FBuffered.substr(0, FBuffered.find('\n'));
    FBuffered.erase(0, first.size() + 1);
    FPort = std::atoi(first.substr(first.rfind(':') + 1).c_str());
}

UpdateServerProcess::~UpdateServerProcess()
{
    if (FPid > 0) {
        ::kill(FPid, SIGTERM);
        int status = 0;
        ::waitpid(FPid, &status, 0);
    }
    if (FOutput >= 0) ::close(FOutput);
}

std::string UpdateServerProcess::Output()
{
    pollfd p{FOutput, POLLIN, 0};
    while (::poll(&p, 1, 0) > 0) {
        char chunk[4096];
        const ssize_t n = ::read(FOutput, chunk, sizeof chunk);
        if (n <= 0) break;
        FBuffered.append(chunk, static_cast<size_t>(n));
    }
    return FBuffered;
}

}  // namespace updatetest
