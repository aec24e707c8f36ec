#pragma once
#include <cstdint>
#include <string>

class TIdWhois;

// Every line break made CR LF: CR LF pairs become LF first, then every LF becomes CR LF;
// a lone CR stays.
std::string NormalizeLineBreaks(std::string reply);

// A whois reply as the page's text (UTF-8): kept as it is when it is well-formed UTF-8
// (a reply cleared to ASCII always is), otherwise read as Windows-1252.
std::string DecodeWhoisReply(const std::string& reply);

// The query for a catalogue entry: the name itself when the template is empty, otherwise
// the template with every "$T$" replaced by the name.
std::string ApplyQueryTemplate(const std::string& templ, const std::string& name);

// The query of a lookup: the catalogue's server, template and port. Sets the client's
// Host and Port, queries, and returns the reply decoded, its line breaks made CR LF.
// Failures of the client propagate.
std::string RunCatalogueQuery(TIdWhois& client, const std::string& host, const std::string& templ,
                              int32_t port, const std::string& name);

// The query typed by hand: Host := the trimmed server field, Port as the last query left
// it, the trimmed name sent as it is (no template).
std::string RunManualQuery(TIdWhois& client, const std::string& serverField,
                           const std::string& nameField);
