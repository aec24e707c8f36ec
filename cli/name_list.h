#pragma once
#include <istream>
#include <string>
#include <vector>

// The names of a list file: one per line (LF or CR LF), blank lines and lines starting
// with "#" (after blanks) left out, each name trimmed.
std::vector<std::string> ReadNameList(std::istream& in);
