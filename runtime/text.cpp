#include "runtime/text.h"

#include <cstdarg>
#include <cstdio>

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

unsigned char FoldAnsi(unsigned char c)
{
    if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
    switch (c) {
    case 0x8A: return 0x9A;
    case 0x8C: return 0x9C;
    case 0x8E: return 0x9E;
    case 0x9F: return 0xFF;
    default: return c;
    }
}

}  // namespace

std::string TrimLeft(std::string_view text)
{
    size_t first = 0;
    while (first < text.size() && IsBlank(text[first])) ++first;
    return std::string(text.substr(first));
}

std::string TrimRight(std::string_view text)
{
    size_t end = text.size();
    while (end > 0 && IsBlank(text[end - 1])) --end;
    return std::string(text.substr(0, end));
}

std::string Trim(std::string_view text) { return TrimLeft(TrimRight(text)); }

std::string LowerCase(std::string_view text)
{
    std::string result(text);
    for (char& c : result)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return result;
}

std::string AnsiLowerCase(std::string_view text)
{
    std::string result(text);
    for (char& c : result) c = static_cast<char>(FoldAnsi(static_cast<unsigned char>(c)));
    return result;
}

std::string UpperCase(std::string_view text)
{
    std::string result(text);
    for (char& c : result)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return result;
}

bool SameText(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && LowerCase(a) == LowerCase(b);
}

bool AnsiSameText(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldAnsi(static_cast<unsigned char>(a[i])) != FoldAnsi(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string PercentEncoded(std::string_view text, std::string_view plain)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const bool alnum = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (alnum || (c != '\0' && plain.find(c) != std::string_view::npos)) {
            out += c;
        } else {
            const auto byte = static_cast<unsigned char>(c);
            out += {'%', hex[byte >> 4], hex[byte & 15]};
        }
    }
    return out;
}

std::string QueryDecoded(std::string_view text)
{
    const auto digit = [](char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && digit(text[i + 1]) >= 0 && digit(text[i + 2]) >= 0) {
            out += static_cast<char>(digit(text[i + 1]) * 16 + digit(text[i + 2]));
            i += 2;
        } else {
            out += text[i] == '+' ? ' ' : text[i];
        }
    }
    return out;
}

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to)
{
    if (from.empty()) return std::string(text);
    std::string result;
    result.reserve(text.size());
    size_t pos = 0;
    for (size_t hit; (hit = text.find(from, pos)) != std::string_view::npos; pos = hit + from.size()) {
        result.append(text.substr(pos, hit - pos));
        result.append(to);
    }
    result.append(text.substr(pos));
    return result;
}

std::vector<std::string> SplitLines(std::string_view text)
{
    const size_t nul = text.find('\0');
    if (nul != std::string_view::npos) text = text.substr(0, nul);
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = pos;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
        lines.emplace_back(text.substr(pos, end - pos));
        if (end < text.size() && text[end] == '\r') ++end;
        if (end < text.size() && text[end] == '\n') ++end;
        pos = end;
    }
    return lines;
}

std::string Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int size = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string result(size > 0 ? static_cast<size_t>(size) : 0, '\0');
    if (size > 0) std::vsnprintf(result.data(), result.size() + 1, format, args);
    va_end(args);
    return result;
}
