#pragma once
// Scratch folders and the reference update server as a child process, for the update tests.
#include <csignal>
#include <string>
#include <sys/resource.h>
#include <sys/types.h>

namespace updatetest {

// A fresh folder under /tmp, removed with everything in it at destruction. Path() ends with "/".
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return FPath; }
    void Write(const std::string& name, const std::string& bytes) const;
    std::string Read(const std::string& name) const;
    bool Exists(const std::string& name) const;

private:
    std::string FPath;
};

// Runs `work` while writes of this process past `bytes` fail (as root, where folder
// permissions would not stop them); `work` must not throw.
template <typename Work> void WithFileSizeLimit(rlim_t bytes, Work work)
{
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);  // EFBIG instead of the signal
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    const rlimit limit{bytes, saved.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    work();
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, handler);
}

// norvane-update-server from the build, on 127.0.0.1 with a port the system picks.
class UpdateServerProcess {
public:
    explicit UpdateServerProcess(const std::string& dataDir);
    ~UpdateServerProcess();
    UpdateServerProcess(const UpdateServerProcess&) = delete;
    UpdateServerProcess& operator=(const UpdateServerProcess&) = delete;
    int Port() const { return FPort; }
    // The lines it printed so far (one per request after the first).
    std::string Output();

private:
    pid_t FPid = -1;
    int FOutput = -1;
    int FPort = 0;
    std::string FBuffered;
};

}  // namespace updatetest
