#pragma once
#include "app/results_file.h"
#include "cli/registration.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <vector>

// Everything one name of a list gave, for the JSON and CSV writers. Texts are UTF-8.
struct TFailure {
    std::string Stage;  // "name", "whois", "rdap" or "dns"
    std::string Message;
};

struct TRdapExchange {
    std::string Url;
    long Status = 0;         // 0 when the request failed
    nlohmann::json Object;   // the reply when it is a JSON object, null otherwise
    std::string Error;       // why there is no reply, "" when there is one
};

struct TNameResult {
    std::string Typed;
    std::string Ascii;  // "" when the name was refused
    bool WhoisAsked = false;
    std::string WhoisServer;
    std::optional<std::string> WhoisText;  // the reply, LF line breaks; empty on failure
    std::string WhoisError;
    std::vector<TRdapExchange> Rdap;       // the registry's answer, then its registrar's
    std::vector<TTreeLine> Tree;           // Windows-1252, as the window's tree
    std::vector<TFailure> Failures;
    std::optional<TRegistration> Registration;
    bool Limited = false;  // a server said it would answer no more for now
};

// "ok", "limited" (a server asked to slow down), or "failed" (nothing registered could be
// read: a refused name, unreachable servers, an unknown name).
std::string Outcome(const TNameResult& result);
