#pragma once
// The process's resident memory, for benchmarks that report what a step took at its peak.
#include <fstream>
#include <string>

namespace bench {

// A field of /proc/self/status in bytes ("VmRSS", "VmHWM"), or -1.
inline long long StatusBytes(const std::string& field)
{
    std::ifstream status("/proc/self/status");
    std::string name;
    long long kilobytes = 0;
    while (status >> name) {
        if (name == field + ":" && status >> kilobytes) return kilobytes * 1024;
        status.ignore(1 << 12, '\n');
    }
    return -1;
}

// Starts a new high-water mark of the process's resident memory.
inline bool ResetPeakMemory()
{
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    return static_cast<bool>(clear.flush());
}

}  // namespace bench
