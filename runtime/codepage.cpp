#include "runtime/codepage.h"

#include <cstdint>

namespace {

// Code points of 0x80-0x9F; 0 marks the five bytes the code page leaves undefined,
// which are passed through as the control character of the same number.
constexpr uint16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

uint32_t CodePointOf(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F && kHighControls[byte - 0x80] != 0) return kHighControls[byte - 0x80];
    return byte;
}

void AppendUtf8(std::string& out, uint32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

char ByteOf(uint32_t cp)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<char>(cp);
    for (int i = 0; i < 32; ++i)
        if (kHighControls[i] == cp || (kHighControls[i] == 0 && cp == 0x80u + i)) return static_cast<char>(0x80 + i);
    return '?';
}

// Decodes one UTF-8 sequence at `pos`; a malformed byte stands for itself as Latin-1.
uint32_t NextCodePoint(std::string_view s, size_t& pos)
{
    const unsigned char lead = static_cast<unsigned char>(s[pos]);
    int extra = lead >= 0xF0 && lead < 0xF8 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    if (lead >= 0xF8) extra = 0;
    if (extra == 0 || pos + static_cast<size_t>(extra) >= s.size()) {
        ++pos;
        return lead;
    }
    uint32_t cp = lead & (0x3F >> extra);
    for (int i = 1; i <= extra; ++i) {
        const unsigned char c = static_cast<unsigned char>(s[pos + static_cast<size_t>(i)]);
        if ((c & 0xC0) != 0x80) {
            ++pos;
            return lead;
        }
        cp = (cp << 6) | (c & 0x3F);
    }
    pos += static_cast<size_t>(extra) + 1;
    return cp;
}

}  // namespace

std::string Cp1252ToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (char c : bytes) AppendUtf8(out, CodePointOf(static_cast<unsigned char>(c)));
    return out;
}

std::string Utf8ToCp1252(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (size_t pos = 0; pos < utf8.size();) out += ByteOf(NextCodePoint(utf8, pos));
    return out;
}

bool IsUtf8(std::string_view bytes)
{
    for (size_t pos = 0; pos < bytes.size();) {
        const unsigned char lead = static_cast<unsigned char>(bytes[pos]);
        if (lead < 0x80) {
            ++pos;
            continue;
        }
        // The second byte's range rules out overlong forms, surrogates and code points
        // past U+10FFFF (RFC 3629, section 4).
        unsigned char low = 0x80, high = 0xBF;
        size_t length = 0;
        if (lead >= 0xC2 && lead <= 0xDF) length = 2;
        else if (lead >= 0xE0 && lead <= 0xEF) length = 3;
        else if (lead >= 0xF0 && lead <= 0xF4) length = 4;
        else return false;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
        if (bytes.size() - pos < length) return false;
        for (size_t i = 1; i < length; ++i) {
            const unsigned char next = static_cast<unsigned char>(bytes[pos + i]);
            if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF)) return false;
        }
        pos += length;
    }
    return true;
}
