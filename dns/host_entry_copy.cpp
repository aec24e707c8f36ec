#include "dns/host_entry_copy.h"

#include "net/socket/id_anti_freeze.h"

namespace {

// The non-null items of a null-terminated list, at most `limit`, each `length` bytes long
// (0: up to its terminator).
std::vector<std::string> CopyList(char* const* list, size_t length, size_t limit)
{
    std::vector<std::string> items;
    for (size_t i = 0; list != nullptr && list[i] != nullptr && i < limit; ++i)
        items.push_back(length == 0 ? std::string(list[i]) : std::string(list[i], length));
    return items;
}

// A null-terminated list pointing into `items`, which must not move after this.
std::vector<char*> PointersTo(std::vector<std::string>& items)
{
    std::vector<char*> list;
    for (std::string& item : items) list.push_back(item.data());
    list.push_back(nullptr);
    return list;
}

}  // namespace

THostEntryCopy::THostEntryCopy(const winsock::hostent& entry)
    : FName(entry.h_name != nullptr ? entry.h_name : ""),
      FAliases(CopyList(entry.h_aliases, 0, MaxListEntries))
{
    const bool lengthUsable = entry.h_length > 0 && entry.h_length <= MaxAddressLength;
    if (lengthUsable) FAddresses = CopyList(entry.h_addr_list, static_cast<size_t>(entry.h_length), MaxListEntries);
    FAliasList = PointersTo(FAliases);
    FAddressList = PointersTo(FAddresses);
    FEntry.h_name = entry.h_name != nullptr ? FName.data() : nullptr;
    FEntry.h_aliases = FAliasList.data();
    FEntry.h_addrtype = entry.h_addrtype;
    FEntry.h_length = entry.h_length;
    FEntry.h_addr_list = FAddressList.data();
}

std::shared_ptr<const THostEntryCopy> CopiedResolverCall(std::function<const winsock::hostent*()> call)
{
    const auto answer = std::make_shared<std::shared_ptr<const THostEntryCopy>>();
    RunBlockingCall([answer, call = std::move(call)] {
        if (const winsock::hostent* entry = call()) *answer = std::make_shared<const THostEntryCopy>(*entry);
    });
    return *answer;
}
