#include "net/socket/id_stack.h"

#include "net/socket/id_anti_freeze.h"
#include "net/socket/id_socket_address.h"

#include "platform/winsock.h"
#include "runtime/integer.h"
#include "runtime/text.h"

#include <cstring>
#include <memory>

// Address text and host-name look-up.
namespace {

// The next dot-separated part of a working copy: text before the first "." (removed with
// its dot), or the whole rest.
std::string TakeNextPart(std::string& rest)
{
    const size_t dot = rest.find('.');
    if (dot == std::string::npos) {
        std::string part;
        part.swap(rest);
        return part;
    }
    std::string part = rest.substr(0, dot);
    rest.erase(0, dot + 1);
    return part;
}

}  // namespace

bool TIdStack::IsDottedQuad(const std::string& text) const
{
    std::string rest = text;
    std::string parts[4];
    for (int i = 0; i < 3; ++i) parts[i] = TakeNextPart(rest);
    parts[3] = rest;
    for (const std::string& part : parts) {
        if (StrToIntDef(part, -1) < 0 || StrToIntDef(part, 256) > 255) return false;
    }
    return true;
}

std::string TIdStack::HostToAddress(const std::string& host)
{
    if (SameText(host, "LOCALHOST")) return "127.0.0.1";
    if (IsDottedQuad(host) || IsIPv6Address(host)) return host;
    return LookupHostAddresses(host).front();
}

std::array<uint8_t, 4> TIdStackWinsock::TextToAddress(const std::string& text)
{
    std::string rest = text;
    std::array<uint8_t, 4> address{};
    for (uint8_t& byte : address) byte = static_cast<uint8_t>(StrToInt(TakeNextPart(rest)) & 0xFF);
    return address;
}

std::string TIdStackWinsock::AddressToText(const std::array<uint8_t, 4>& address)
{
    return Format("%u.%u.%u.%u", address[0], address[1], address[2], address[3]);
}

std::string TIdStackWinsock::LookupHostByName(const std::string& name)
{
    // A NUL would cut the name short and look up another one.
    if (name.find('\0') != std::string::npos) {
        winsock::WSASetLastError(winsock::WSAHOST_NOT_FOUND);
        CheckSocketResult(Id_SOCKET_ERROR);
    }
    // The resolver's answer is copied out where it was given: its area belongs to the
    // thread that asked (see RunBlockingCall).
    struct TFound {
        bool Entry = false;
        bool IPv4 = false;
        std::array<uint8_t, 4> Address{};
    };
    const auto found = std::make_shared<TFound>();
    RunBlockingCall([found, name] {
        const winsock::hostent* entry = winsock::gethostbyname(name.c_str());
        if (entry == nullptr) return;
        found->Entry = true;
        found->IPv4 = entry->h_addr_list != nullptr && entry->h_addr_list[0] != nullptr && entry->h_length == 4;
        if (found->IPv4) std::memcpy(found->Address.data(), entry->h_addr_list[0], 4);
    });
    if (!found->Entry) CheckSocketResult(Id_SOCKET_ERROR);
    if (!found->IPv4) {
        winsock::WSASetLastError(winsock::WSANO_DATA);
        CheckSocketResult(Id_SOCKET_ERROR);
    }
    return AddressToText(found->Address);
}
