#pragma once
#include "platform/address6.h"

#include <cstdint>
#include <string>

class TIdStack;

// Socket addresses of either family as the stack builds and reads them: IPv6 text
// (zone included) makes an IPv6 address, any other text is taken as IPv4 as before.

// True for IPv6 text the platform can reach ("2001:db8::1", "fe80::1%eth0").
bool IsIPv6Address(const std::string& text);
// Id_PF_INET6 for IPv6 text, Id_PF_INET for anything else.
int32_t AddressFamilyOf(const std::string& ip);

// The platform address of ip:port for a socket of `family`; its length. With
// emptyMeansAny an empty ip is any local address; IPv4 text is converted by the stack's
// TextToAddress (EConvertError for a part that is no number).
int32_t MakeSocketAddress(TIdStack& stack, int32_t family, const std::string& ip, int32_t port, bool emptyMeansAny,
                          winsock::sockaddr_any& out);
void SplitSocketAddress(TIdStack& stack, const winsock::sockaddr_any& addr, int32_t& family, std::string& ip,
                        int32_t& port);
