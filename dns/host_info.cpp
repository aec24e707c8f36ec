#include "dns/host_info.h"

#include "net/socket/id_anti_freeze.h"
#include "platform/address6.h"
#include "runtime/text.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// The host entry copied out of the resolver's result area, which the next call reuses.
struct THostEntry {
    std::string Name;
    std::vector<std::string> Aliases;
    int32_t Family = 0;
    int32_t Length = 0;
    std::vector<std::string> Addresses;  // Length bytes each, network order
    std::vector<std::string> Addresses6;  // 16 bytes each, after the others
};

// Entries are read up to this many addresses or aliases and address bytes; the platform
// gives far fewer, and a runaway list must not take the window with it.
constexpr size_t kMaxListEntries = 1024;
constexpr int32_t kMaxAddressLength = 16;

std::vector<std::string> CopyList(char* const* list, size_t itemLength = 0)
{
    std::vector<std::string> items;
    for (size_t i = 0; list != nullptr && list[i] != nullptr && i < kMaxListEntries; ++i)
        items.push_back(itemLength == 0 ? std::string(list[i]) : std::string(list[i], itemLength));
    return items;
}

THostEntry CopyEntry(const winsock::hostent& entry)
{
    THostEntry copy;
    copy.Name = entry.h_name != nullptr ? entry.h_name : "";
    copy.Aliases = CopyList(entry.h_aliases);
    copy.Family = entry.h_addrtype;
    copy.Length = entry.h_length;
    if (copy.Length > 0 && copy.Length <= kMaxAddressLength)
        copy.Addresses = CopyList(entry.h_addr_list, static_cast<size_t>(copy.Length));
    return copy;
}

// Dotted quad of the first four bytes of an address.
std::string DottedQuad(const std::string& address)
{
    winsock::in_addr in{};
    std::memcpy(&in.s_addr, address.data(), std::min(address.size(), sizeof in.s_addr));
    return winsock::inet_ntoa(in);
}

// The address as the tree shows it.
std::string AddressText(const std::string& address, int32_t length)
{
    if (length == 16) return winsock::Address6ToText(reinterpret_cast<const uint8_t*>(address.data()), 0);
    return DottedQuad(address);
}

// The name's IPv4 entry with the IPv6 addresses added, or its IPv6 entry alone. False,
// with `error` from the IPv4 lookup, when it has neither; a failure other than "unknown"
// or "no address" is not asked again for IPv6.
bool LookupName(IHostResolver& resolver, const std::string& name, THostEntry& entry, int32_t& error)
{
    if (const winsock::hostent* found = resolver.GetHostByName(name)) {
        entry = CopyEntry(*found);
        entry.Addresses6 = resolver.Addresses6Beside(name);
        if (entry.Addresses6.size() > kMaxListEntries) entry.Addresses6.resize(kMaxListEntries);
        return true;
    }
    error = resolver.LastError();
    if (error != winsock::WSAHOST_NOT_FOUND && error != winsock::WSANO_DATA) return false;
    const winsock::hostent* found6 = resolver.GetHostByName6(name);
    if (found6 == nullptr || found6->h_length != 16) return false;
    entry = CopyEntry(*found6);
    entry.Addresses6 = std::move(entry.Addresses);
    entry.Addresses.clear();
    return true;
}

const char* const HostNotFound = "l'h\xF4te n'a pas \xE9t\xE9 trouv\xE9...";
const char* const NoRecord = "Aucun enregistrement trouv\xE9...";
const char* const FunctionFailed = "Echec de la fonction...";

}  // namespace

const winsock::hostent* TSystemHostResolver::Keep(std::shared_ptr<const THostEntryCopy> answer)
{
    FLast = std::move(answer);
    return FLast ? &FLast->Entry() : nullptr;
}

const winsock::hostent* TSystemHostResolver::GetHostByName(const std::string& name)
{
    return Keep(CopiedResolverCall([name] { return winsock::gethostbyname(name.c_str()); }));
}

const winsock::hostent* TSystemHostResolver::GetHostByAddr(const char* address, int32_t length, int32_t family)
{
    // The call's thread gets its own copy of the bytes.
    const bool given = address != nullptr;
    const size_t copied = given ? static_cast<size_t>(std::clamp(length, 0, THostEntryCopy::MaxAddressLength)) : 0;
    const std::string bytes(given ? address : "", copied);
    return Keep(CopiedResolverCall([given, bytes, length, family] {
        return winsock::gethostbyaddr(given ? bytes.data() : nullptr, length, family);
    }));
}

const winsock::hostent* TSystemHostResolver::GetHostByName6(const std::string& name)
{
    return Keep(CopiedResolverCall([name] { return winsock::gethostbyname6(name.c_str()); }));
}

std::vector<std::string> IHostResolver::Addresses6Beside(const std::string& name)
{
    const winsock::hostent* found6 = GetHostByName6(name);
    if (found6 == nullptr || found6->h_length != 16) return {};
    return CopyList(found6->h_addr_list, 16);
}

std::vector<std::string> TSystemHostResolver::Addresses6Beside(const std::string& name)
{
    const auto addresses = std::make_shared<std::vector<std::string>>();
    RunBlockingCall([addresses, name] { *addresses = winsock::SystemAddresses6(name); });
    return *addresses;
}

int32_t TSystemHostResolver::LastError() const { return winsock::WSAGetLastError(); }

TReverseLookup ReverseLookup(IHostResolver& resolver, const char* address, int32_t length, int32_t family)
{
    if (const winsock::hostent* entry = resolver.GetHostByAddr(address, length, family))
        return {entry->h_name != nullptr ? entry->h_name : "", ReverseFound};
    switch (resolver.LastError()) {
    case winsock::WSAHOST_NOT_FOUND: return {"H\xF4te n'a pas \xE9t\xE9 trouv\xE9...", ReverseFailed};
    case winsock::WSANO_DATA: return {NoRecord, ReverseNoRecord};
    default: return {FunctionFailed, ReverseFailed};
    }
}

std::string LongHostForm(const std::string& name)
{
    if (LowerCase(name).rfind("www.", 0) == 0) return name;
    return "www." + name;
}

std::string ShortHostForm(const std::string& name) { return LongHostForm(name).substr(4); }

bool ShowHostInfo(IHostResolver& resolver, IResultsTree& tree, const std::string& name, TTreeNode*& hostRootNode)
{
    const std::string longForm = LongHostForm(name);
    hostRootNode = tree.AddChild(nullptr, "R\xE9ponse du DNS par d\xE9" "faut", ImageClosed, ImageClosed, NodePlain);
    TTreeNode* const root = hostRootNode;
    const auto fail = [&](const char* text) {
        tree.AddChild(root, text, ImageNone, ImageNone, NodePlain);
        return false;
    };

    THostEntry entry;
    int32_t error = 0;
    if (!LookupName(resolver, longForm.substr(4), entry, error)) {
        switch (error) {
        case winsock::WSAHOST_NOT_FOUND: return fail(HostNotFound);
        case winsock::WSANO_DATA:
            // The name exists without an address (a mail domain, say): its www form may have one.
            if (!LookupName(resolver, longForm, entry, error)) return fail(NoRecord);
            break;
        default: return fail(FunctionFailed);
        }
    }

    TTreeNode* official = tree.AddChild(root, "Nom officiel", ImageClosed, ImageClosed, NodePlain);
    tree.AddChild(official, entry.Name, ImageValue, ImageValue, NodeLink);
    TTreeNode* aliases = tree.AddChild(root, "Nom en alias", ImageClosed, ImageClosed, NodePlain);
    for (const std::string& alias : entry.Aliases) tree.AddChild(aliases, alias, ImageValue, ImageValue, NodeLink);
    TTreeNode* addresses = tree.AddChild(root, "Adresse IP", ImageClosed, ImageClosed, NodePlain);
    // Every address with its length and family, the IPv4 ones first.
    struct TShown {
        std::string Bytes, Text;
        int32_t Length, Family;
    };
    std::vector<TShown> shown;
    for (const std::string& address : entry.Addresses)
        shown.push_back({address, AddressText(address, entry.Length), entry.Length, entry.Family});
    for (const std::string& address : entry.Addresses6)
        shown.push_back({address, AddressText(address, 16), 16, winsock::WS_AF_INET6});
    for (const TShown& address : shown) tree.AddChild(addresses, address.Text, ImageValue, ImageValue, NodeLink);
    for (const TShown& address : shown) {
        TTreeNode* node = tree.AddChild(root, address.Text, ImageClosed, ImageClosed, NodePlain);
        const TReverseLookup reverse = ReverseLookup(resolver, address.Bytes.data(), address.Length, address.Family);
        tree.AddChild(node, reverse.Text, ImageValue, ImageValue, reverse.Status == ReverseFound ? NodeLink : NodeValue);
    }
    tree.Expand(root);
    return true;
}
