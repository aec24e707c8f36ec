#include "cli/record_types.h"

#include "cli/numbers.h"
#include "net/dns/id_dns_record_types.h"
#include "runtime/text.h"

namespace {

struct TNamedNumber {
    uint16_t Number;
    const char* Name;
};

constexpr TNamedNumber kTypes[] = {
    {TypeA, "A"},         {TypeNS, "NS"},       {TypeMD, "MD"},       {TypeMF, "MF"},       {TypeCNAME, "CNAME"},
    {TypeSOA, "SOA"},     {TypeMB, "MB"},       {TypeMG, "MG"},       {TypeMR, "MR"},       {TypeNULL, "NULL"},
    {TypeWKS, "WKS"},     {TypePTR, "PTR"},     {TypeHINFO, "HINFO"}, {TypeMINFO, "MINFO"}, {TypeMX, "MX"},
    {TypeTXT, "TXT"},     {TypeAXFR, "AXFR"},   {TypeMAILB, "MAILB"}, {TypeMAILA, "MAILA"}, {TypeANY, "ANY"},
};

constexpr TNamedNumber kClasses[] = {{1, "IN"}, {2, "CS"}, {3, "CH"}, {4, "HS"}, {255, "ANY"}};

template <size_t N> const char* NameOf(const TNamedNumber (&table)[N], uint16_t number)
{
    for (const TNamedNumber& entry : table)
        if (entry.Number == number) return entry.Name;
    return nullptr;
}

}  // namespace

std::optional<uint16_t> ParseRecordType(std::string_view text)
{
    for (const TNamedNumber& entry : kTypes)
        if (SameText(text, entry.Name)) return entry.Number;
    const std::optional<uint32_t> number = ParseDecimal(text, 0xFFFF);
    if (!number) return std::nullopt;
    return static_cast<uint16_t>(*number);
}

std::string RecordTypeName(uint16_t type)
{
    const char* name = NameOf(kTypes, type);
    return name != nullptr ? name : "TYPE" + std::to_string(type);
}

std::string RecordClassName(uint16_t recordClass)
{
    const char* name = NameOf(kClasses, recordClass);
    return name != nullptr ? name : "CLASS" + std::to_string(recordClass);
}
