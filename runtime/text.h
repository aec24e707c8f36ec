#pragma once
#include <string>
#include <string_view>
#include <vector>

// Text is bytes (Windows-1252). These are the few text rules the program leans on.

// Removes leading and trailing characters of code 32 or less.
std::string Trim(std::string_view text);
std::string TrimLeft(std::string_view text);
std::string TrimRight(std::string_view text);

// A-Z to a-z (and back); no other character changes.
std::string LowerCase(std::string_view text);
std::string UpperCase(std::string_view text);
// Every capital of the code page to its small letter ("\xC9" to "\xE9", "\x8A" to "\x9A").
std::string AnsiLowerCase(std::string_view text);

// Case-insensitive equality: ASCII letters only / the code page's letters too.
bool SameText(std::string_view a, std::string_view b);
bool AnsiSameText(std::string_view a, std::string_view b);

// Every occurrence of `from` replaced by `to`; the replacement is not searched again.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);

// Every byte other than an ASCII letter, a digit or one of `plain` as "%XX" (capital
// hex), as a URL path or query value carries it.
std::string PercentEncoded(std::string_view text, std::string_view plain);
// The reverse, for a query value: "%XX" as that byte, "+" as a space; anything else,
// a "%" without two hex digits included, stays as it is.
std::string QueryDecoded(std::string_view text);

// Splits text into lines: CR, LF and CR LF end a line, a NUL ends the text, and a line
// break at the very end opens no further line ("" gives no line, "\r\n" one empty line).
std::vector<std::string> SplitLines(std::string_view text);

// printf-style formatting into a std::string.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
