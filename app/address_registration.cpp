#include "app/address_registration.h"

#include "rdap/json_access.h"
#include "rdap/number_lookup.h"
#include "rdap/rdap_error.h"

std::string AddressRegistrationText(const TRdapNumberServers& servers, const std::string& field, const TRdapGet& get)
{
    std::string line;
    try {
        if (const std::optional<TNumberQuery> address = ParseAddressQuery(field))
            return RdapNumberText(servers, *address, get);
        line = "\xC2\xAB " + field + " \xC2\xBB n'est pas une adresse IPv4 ou IPv6 : pas de recherche RDAP.";
    } catch (const ERdapNoServer& none) {
        line = none.Message();
    } catch (const ERdapError& failure) {
        line = "La recherche RDAP a \xC3\xA9" "chou\xC3\xA9 : " + failure.Message();
    }
    return rdap_json::Clean(line) + "\r\n";
}
