#include "dns/host_info.h"

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

const char* const HostNotFound = "l'h\xF4te n'a pas \xE9t\xE9 trouv\xE9...";
const char* const NoRecord = "Aucun enregistrement trouv\xE9...";
const char* const FunctionFailed = "Echec de la fonction...";

}  // namespace

const winsock::hostent* TSystemHostResolver::GetHostByName(const std::string& name)
{
    return winsock::gethostbyname(name.c_str());
}

const winsock::hostent* TSystemHostResolver::GetHostByAddr(const char* address, int32_t length, int32_t family)
{
    return winsock::gethostbyaddr(address, length, family);
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

    const winsock::hostent* found = resolver.GetHostByName(longForm.substr(4));
    if (found == nullptr) {
        switch (resolver.LastError()) {
        case winsock::WSAHOST_NOT_FOUND: return fail(HostNotFound);
        case winsock::WSANO_DATA:
            // The name exists without an address (a mail domain, say): its www form may have one.
            found = resolver.GetHostByName(longForm);
            if (found == nullptr) return fail(NoRecord);
            break;
        default: return fail(FunctionFailed);
        }
    }
    // Everything is copied before the reverse lookups reuse the resolver's result area.
    const THostEntry entry = CopyEntry(*found);

    TTreeNode* official = tree.AddChild(root, "Nom officiel", ImageClosed, ImageClosed, NodePlain);
    tree.AddChild(official, entry.Name, ImageValue, ImageValue, NodeLink);
    TTreeNode* aliases = tree.AddChild(root, "Nom en alias", ImageClosed, ImageClosed, NodePlain);
    for (const std::string& alias : entry.Aliases) tree.AddChild(aliases, alias, ImageValue, ImageValue, NodeLink);
    TTreeNode* addresses = tree.AddChild(root, "Adresse IP", ImageClosed, ImageClosed, NodePlain);
    std::vector<std::string> quads;
    for (const std::string& address : entry.Addresses) {
        quads.push_back(DottedQuad(address));
        tree.AddChild(addresses, quads.back(), ImageValue, ImageValue, NodeLink);
    }
    for (size_t i = 0; i < entry.Addresses.size(); ++i) {
        TTreeNode* node = tree.AddChild(root, quads[i], ImageClosed, ImageClosed, NodePlain);
        const TReverseLookup reverse = ReverseLookup(resolver, entry.Addresses[i].data(), entry.Length, entry.Family);
        tree.AddChild(node, reverse.Text, ImageValue, ImageValue, reverse.Status == ReverseFound ? NodeLink : NodeValue);
    }
    tree.Expand(root);
    return true;
}
