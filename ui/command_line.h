#pragma once
#include <optional>
#include <string>

// What the window program answers on the command line without opening a window (and so
// without a display): the text for "--help"/"-h" or "--version", nothing otherwise.
std::optional<std::string> CommandLineAnswer(int argc, const char* const* argv);
