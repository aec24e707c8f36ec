#include "platform/profile.h"

#include "runtime/exception.h"
#include "runtime/files.h"
#include "runtime/text.h"

std::string ProfileStringFromText(const std::string& section, const std::string& key,
                                  const std::string& fallback, const std::string& text)
{
    bool inSection = false;
    for (const std::string& raw : SplitLines(text)) {
        const std::string line = Trim(raw);
        if (!line.empty() && line.front() == '[') {
            const size_t close = line.find(']');
            const std::string name = Trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            inSection = AnsiSameText(name, section);
            continue;
        }
        if (!inSection) continue;
        const size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        if (!AnsiSameText(Trim(line.substr(0, equals)), key)) continue;
        const std::string value = Trim(line.substr(equals + 1));
        // A value enclosed in matching quotation marks is read without them.
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
            return value.substr(1, value.size() - 2);
        return value;
    }
    return fallback;
}

std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& fallback, const std::string& fileName)
{
    std::string text;
    try {
        text = ReadFileBytes(fileName);
    } catch (const EFOpenError&) {
        return fallback;
    }
    return ProfileStringFromText(section, key, fallback, text);
}
