#pragma once
#include <string>

// Reads one value of an INI file the way the platform's private-profile reader does:
// section and key names compared without regard to case, blanks around keys and values
// dropped, quotation marks around a value dropped, lines before the first section
// ignored, the first match wins, and `fallback` when the file, the section or the key
// is missing.
std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& fallback, const std::string& fileName);

// The same over the file's bytes, for callers that already hold them.
std::string ProfileStringFromText(const std::string& section, const std::string& key,
                                  const std::string& fallback, const std::string& text);
