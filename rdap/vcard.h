#pragma once
#include <nlohmann/json.hpp>

#include <string>

// The parts of an entity's jCard (RFC 7095) that a whois-style contact shows; each as the
// server wrote it, "" when absent.
struct TVcard {
    std::string Name, Organization, Street, City, Region, PostalCode, Country, Email, Phone, Fax;
};

TVcard ReadVcard(const nlohmann::json& entity);
