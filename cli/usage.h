#pragma once
#include <string>

// The command line's own texts, UTF-8.

// The six forms of the command line.
std::string UsageText();
// The usage, what each subcommand does with an example, the exit statuses.
std::string HelpText();
// "norvane-cli " and the version.
std::string VersionText();
