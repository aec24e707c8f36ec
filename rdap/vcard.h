#pragma once
#include <nlohmann/json.hpp>

#include <string>

// The parts of an entity's jCard (RFC 7095) that a whois-style contact shows; each as the
// server wrote it, "" when absent.
struct TVcard {
    std::string Name, Organization, Street, City, Region, PostalCode, Country, Email, Phone, Fax;
};

TVcard ReadVcard(const nlohmann::json& entity);

// What names an entity: its jCard's full name, or its handle when it has none ("" when
// neither).
std::string EntityName(const nlohmann::json& entity);
