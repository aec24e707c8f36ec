#pragma once
#include <string>
#include <string_view>

// The Windows-1252 code page, used at the boundary between the program's single-byte
// text and UTF-8 (the toolkit's strings, the terminal, file-system paths). Latin-1
// differs at 0x80-0x9F.
std::string Cp1252ToUtf8(std::string_view bytes);

// Characters the code page lacks become "?".
std::string Utf8ToCp1252(std::string_view utf8);

// Whether the bytes are well-formed UTF-8: no overlong form, no surrogate, nothing past
// U+10FFFF, no sequence cut short.
bool IsUtf8(std::string_view bytes);
