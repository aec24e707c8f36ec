#pragma once
// Scratch folders and the reference update server as a child process, for the update tests.
#include <string>
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
