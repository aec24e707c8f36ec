#pragma once
#include <cstdint>

// Values shared by the network layer: time-outs in milliseconds, with -2 for no limit.
inline constexpr int32_t WaitForever = -2;

// The most bytes one reply read to its end may bring: far above any real whois reply or
// data file, low enough that a peer sending without end cannot exhaust memory.
inline constexpr int64_t DefaultMaxReplySize = 64 * 1024 * 1024;

// Socket numbers as the layer passes them to the platform (Windows values).
inline constexpr int32_t Id_PF_INET = 2;
inline constexpr int32_t Id_PF_INET6 = 23;
inline constexpr int32_t Id_SOCK_STREAM = 1;
inline constexpr int32_t Id_SOCK_DGRAM = 2;
inline constexpr int32_t Id_IPPROTO_IP = 0;
inline constexpr int32_t Id_IPPROTO_TCP = 6;
inline constexpr int32_t Id_IPPROTO_UDP = 17;
inline constexpr int32_t Id_SOL_SOCKET = 0xFFFF;
inline constexpr int32_t Id_SO_BROADCAST = 0x0020;
inline constexpr int32_t Id_TCP_NODELAY = 0x0001;
inline constexpr int32_t Id_SD_Recv = 0;
inline constexpr int32_t Id_SD_Send = 1;
inline constexpr int32_t Id_SD_Both = 2;
inline constexpr int32_t Id_SOCKET_ERROR = -1;
inline constexpr int32_t Id_INVALID_SOCKET = -1;

// Socket error numbers the layer reacts to by name.
inline constexpr int32_t Id_WSAEWOULDBLOCK = 10035;
inline constexpr int32_t Id_WSAEINPROGRESS = 10036;
inline constexpr int32_t Id_WSAEMSGSIZE = 10040;
inline constexpr int32_t Id_WSAEADDRINUSE = 10048;
inline constexpr int32_t Id_WSAECONNRESET = 10054;
inline constexpr int32_t Id_WSAESHUTDOWN = 10058;
inline constexpr int32_t Id_WSAETIMEDOUT = 10060;
inline constexpr int32_t Id_WSAECONNREFUSED = 10061;
inline constexpr int32_t Id_WSAHOST_NOT_FOUND = 11001;
