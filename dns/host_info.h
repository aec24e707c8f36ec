#pragma once
#include "dns/host_entry_copy.h"
#include "dns/results_tree.h"
#include "platform/winsock.h"

#include <cstdint>
#include <string>
#include <vector>

// The computer's own name resolution, as the host branch and the IP resolver use it.
class IHostResolver {
public:
    virtual ~IHostResolver() = default;
    // A host entry valid until the next call, or null with LastError telling why.
    virtual const winsock::hostent* GetHostByName(const std::string& name) = 0;
    // The IPv6 addresses of a name (16 bytes each), or null; a resolver without IPv6
    // has none.
    virtual const winsock::hostent* GetHostByName6(const std::string& /*name*/) { return nullptr; }
    // The IPv6 addresses (16 bytes each) of a name that GetHostByName has just found;
    // by default those of GetHostByName6.
    virtual std::vector<std::string> Addresses6Beside(const std::string& name);
    virtual const winsock::hostent* GetHostByAddr(const char* address, int32_t length, int32_t family) = 0;
    virtual int32_t LastError() const = 0;
};

// The platform's resolver calls; with the idle-time hook each runs on a thread of its own
// (CopiedResolverCall), and the entry returned is a copy kept until the next call.
class TSystemHostResolver final : public IHostResolver {
public:
    const winsock::hostent* GetHostByName(const std::string& name) override;
    const winsock::hostent* GetHostByName6(const std::string& name) override;
    // From the system's answer for both families, which ends where the IPv4 answer came
    // from: a name the hosts file gives is not asked of DNS again.
    std::vector<std::string> Addresses6Beside(const std::string& name) override;
    const winsock::hostent* GetHostByAddr(const char* address, int32_t length, int32_t family) override;
    int32_t LastError() const override;

private:
    const winsock::hostent* Keep(std::shared_ptr<const THostEntryCopy> answer);
    std::shared_ptr<const THostEntryCopy> FLast;
};

// Outcome of a reverse lookup.
enum : int { ReverseFound = 1, ReverseNoRecord = -1, ReverseFailed = 0 };

struct TReverseLookup {
    std::string Text;  // the host name, or the failure text
    int Status = ReverseFailed;
};

// The host name of an address (bytes in network order): status 1 with the name; -1 with
// "Aucun enregistrement trouvé..." when the address has no name record; 0 with
// "Hôte n'a pas été trouvé..." when the host is unknown, "Echec de la fonction..." else.
TReverseLookup ReverseLookup(IHostResolver& resolver, const char* address, int32_t length, int32_t family);

// The long form of a name ("www." in front unless it starts so, in any case) and the
// short form (the long one without its first four characters).
std::string LongHostForm(const std::string& name);
std::string ShortHostForm(const std::string& name);

// The branch "Réponse du DNS par défaut" at the end of the tree's top level, stored in
// hostRootNode: what the system resolver says of the short form (of the long form when
// the short one has no address), with official name, aliases, addresses (the IPv4 ones,
// then the IPv6 ones) and, per address, its reverse lookup; or the failure as its single
// child. A name with IPv6 addresses only is shown the same way. True when resolved.
bool ShowHostInfo(IHostResolver& resolver, IResultsTree& tree, const std::string& name, TTreeNode*& hostRootNode);
