#pragma once
#include "dns/results_tree.h"

#include <cstdint>
#include <string>

class TIdDNSResolver;
class TIdDNSResourceList;

// One DNS exchange asking a server for every record of a name.
class IRecordQuery {
public:
    virtual ~IRecordQuery() = default;
    // True when the reply came and was decoded; false on any failure, reported nowhere.
    virtual bool QueryAllRecords(const std::string& server, const std::string& name) = 0;
    // The answer section of the last reply.
    virtual const TIdDNSResourceList& Answers() const = 0;
};

// One exchange as the record query makes it (recursion desired, class 1), for any type:
// asks `server` about `name` through the resolver, whose Port and ReceiveTimeout stay as
// set. Raises what the resolver raises.
void QueryRecords(TIdDNSResolver& resolver, const std::string& server, const std::string& name, uint16_t type);

// Asks `server` for all records (type 255, class 1, recursion desired) of `name`
// through the resolver, whose Port and ReceiveTimeout stay as set. Every failure,
// whatever it is, is false.
bool QueryAllRecords(TIdDNSResolver& resolver, const std::string& server, const std::string& name);

// The window's resolver component as a record query.
class TResolverQuery : public IRecordQuery {
public:
    explicit TResolverQuery(TIdDNSResolver& resolver) : FResolver(resolver) {}
    bool QueryAllRecords(const std::string& server, const std::string& name) override;
    const TIdDNSResourceList& Answers() const override;

private:
    TIdDNSResolver& FResolver;
};

// The labels of the DNS branch, in order.
inline constexpr const char* kRecordLabels[] = {"Nom de domaine", "CPU",      "OS",        "EMailBox",
                                                "RMailBox",       "MX Exchange", "SOA RName", "SOA MName"};

// The DNS branch for `name`: asks defaultServer, then the server that SelectDnsServer
// picks from that answer (defaultServer when it picks none), and adds at the end of the
// tree's top level "Réponse du DNS: " + server with the eight labels and, under each, the
// matching texts of the second answer. Adds nothing when either query fails.
void ShowDnsRecords(IRecordQuery& query, IResultsTree& tree, const std::string& defaultServer,
                    const std::string& name, const std::string& appDir);
