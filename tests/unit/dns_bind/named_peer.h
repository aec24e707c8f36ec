#pragma once
// A real authoritative DNS server for the tests: named from the system, started on
// 127.0.0.1 on a free port with zones written into a temporary folder, stopped (and the
// folder removed) when the object goes away.
#include <string>
#include <sys/types.h>

class NamedPeer {
public:
    // Keeps the two zone texts in a new temporary folder; the reverse zone is
    // 2.0.192.in-addr.arpa.
    NamedPeer(const std::string& primaryZone, const std::string& primaryText,
              const std::string& reverseText);
    ~NamedPeer();
    NamedPeer(const NamedPeer&) = delete;
    NamedPeer& operator=(const NamedPeer&) = delete;

    // Starts the server and waits until it answers a question about primaryZone.
    // Returns false with a one-line reason when it cannot start.
    bool Start(std::string& reason);
    int Port() const { return FPort; }
    const std::string& Folder() const { return FFolder; }

private:
    void Stop();
    std::string FFolder;
    std::string FPrimaryZone;
    int FPort = 0;
    pid_t FPid = -1;
};

// Runs a command and returns what it printed on standard output.
std::string RunAndRead(const std::string& command);
