#pragma once
// The far end of the UDP tests: a plain POSIX datagram socket on 127.0.0.1 with a
// system-assigned port, optionally answering each datagram from a thread.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>

// A value that the test and the peer's thread both use, behind a lock.
template <typename T> class Shared {
public:
    void Set(T value) {
        std::lock_guard<std::mutex> lock(FMutex);
        FValue = std::move(value);
    }
    T Get() const {
        std::lock_guard<std::mutex> lock(FMutex);
        return FValue;
    }

private:
    mutable std::mutex FMutex;
    T FValue{};
};

class UdpPeer {
public:
    UdpPeer() {
        FSocket = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (FSocket < 0 || ::bind(FSocket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
            throw std::runtime_error("cannot bind the test peer");
        socklen_t length = sizeof address;
        ::getsockname(FSocket, reinterpret_cast<sockaddr*>(&address), &length);
        FPort = ntohs(address.sin_port);
    }
    ~UdpPeer() {
        FStop = true;
        if (FThread.joinable()) FThread.join();
        ::close(FSocket);
    }
    UdpPeer(const UdpPeer&) = delete;
    UdpPeer& operator=(const UdpPeer&) = delete;

    int Port() const { return FPort; }

    // One datagram within timeoutMs; false when none came. Reports the sender.
    bool Receive(std::string& data, std::string& fromIP, int& fromPort, int timeoutMs = 2000) {
        pollfd p{FSocket, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) != 1) return false;
        char buffer[65536];
        sockaddr_in from{};
        socklen_t length = sizeof from;
        const ssize_t n = ::recvfrom(FSocket, buffer, sizeof buffer, 0,
                                     reinterpret_cast<sockaddr*>(&from), &length);
        if (n < 0) return false;
        data.assign(buffer, static_cast<size_t>(n));
        char text[INET_ADDRSTRLEN] = {};
        ::inet_ntop(AF_INET, &from.sin_addr, text, sizeof text);
        fromIP = text;
        fromPort = ntohs(from.sin_port);
        return true;
    }

    void SendTo(int port, const std::string& data) {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        to.sin_port = htons(static_cast<uint16_t>(port));
        ::sendto(FSocket, data.data(), data.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    }

    // Answers every datagram with reply(query) from a thread; an empty std::nullopt-like
    // answer is expressed by `answer` returning false.
    void Serve(std::function<bool(const std::string& query, std::string& reply)> answer) {
        FThread = std::thread([this, answer] {
            while (!FStop) {
                std::string query, ip, reply;
                int port = 0;
                if (!Receive(query, ip, port, 50)) continue;
                ++FReceived;
                if (answer(query, reply)) SendTo(port, reply);
            }
        });
    }
    int Received() const { return FReceived; }

private:
    int FSocket = -1;
    int FPort = 0;
    std::atomic<bool> FStop{false};
    std::atomic<int> FReceived{0};
    std::thread FThread;
};
