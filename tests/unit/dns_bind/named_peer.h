#pragma once
// A real authoritative DNS server for the tests: named from the system, started on
// 127.0.0.1 on a free port with zones written into a temporary folder, stopped (and the
// folder removed) when the object goes away.
#include <string>
#include <sys/types.h>
#include <vector>

struct PeerZone {
    std::string Name;
    std::string Text;
    bool Signed = false;  // signed with fresh keys before the server starts
};

class NamedPeer {
public:
    // Keeps the zone texts in a new temporary folder; options are added to the server's
    // own (for example "minimal-any yes;").
    explicit NamedPeer(std::vector<PeerZone> zones, std::string options = "");
    ~NamedPeer();
    NamedPeer(const NamedPeer&) = delete;
    NamedPeer& operator=(const NamedPeer&) = delete;

    // Signs the zones that ask for it, starts the server and waits until it answers a
    // question about the first zone.
    // Returns false with a one-line reason when it cannot start.
    bool Start(std::string& reason);
    int Port() const { return FPort; }
    const std::string& Folder() const { return FFolder; }

private:
    void Stop();
    bool SignZones(std::string& reason) const;
    std::string FFolder;
    std::vector<PeerZone> FZones;
    std::string FOptions;
    int FPort = 0;
    pid_t FPid = -1;
};

// Runs a command and returns what it printed on standard output.
std::string RunAndRead(const std::string& command);
