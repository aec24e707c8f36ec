#pragma once
#include <cstdint>
#include <string_view>

// Text-to-integer rules: leading blanks skipped, optional sign, decimal digits or a
// hexadecimal number introduced by "$", "x", "X", "0x" or "0X"; nothing may follow;
// the value must fit a signed 32-bit integer.
bool TryStrToInt(std::string_view text, int32_t& value);

// Strict form: raises EConvertError "'%s' is not a valid integer value".
int32_t StrToInt(std::string_view text);

// Lenient form: the default on failure.
int32_t StrToIntDef(std::string_view text, int32_t fallback);
