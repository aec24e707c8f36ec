#pragma once
#include <string>
#include <string_view>
#include <vector>

// The stamp line of a data file: line 1, "#" followed by the file's date stamp.

// The stamp of a file's text: line 1 less its first character (whatever it is), trimmed.
// False when the text has no line or line 1 holds no "#": such a file is unusable.
bool StampOfText(std::string_view text, std::string& stamp);

// The stamp of rdap.json: its "publication" member as written, or "" when it has none,
// or one that holds a control character or is too long to travel in a query. False
// when the text is no RDAP bootstrap file.
bool PublicationOfText(std::string_view text, std::string& stamp);
// That stamp as the value of `date` in the update request: percent-encoded, so that a
// space or a "+" (RFC 3339 allows both) reaches the server as written.
std::string PublicationQueryValue(std::string_view stamp);

// Whether stamp a is later than stamp b. Stamps are dates written as digits (20261208):
// of two digit strings the longer, or the larger of equal length, is later; other
// stamps compare as text.
bool StampIsNewer(std::string_view a, std::string_view b);

// The text as it is written to disk: every line (split at CR, LF or CR LF, the text
// ending at a NUL) followed by CR LF.
std::string DataFileBytes(std::string_view body);
