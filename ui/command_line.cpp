#include "ui/command_line.h"

#include <norvane_config.h>

#include <string_view>

namespace {

const char* const HelpText =
    "norvane : examiner un nom de domaine Internet (whois et DNS), dans une fenêtre.\n"
    "\n"
    "Utilisation :\n"
    "  norvane              ouvre la fenêtre\n"
    "  norvane --help       affiche cette aide\n"
    "  norvane --version    affiche la version\n"
    "\n"
    "Les mêmes recherches sans fenêtre : norvane-cli --help.\n";

}  // namespace

std::optional<std::string> CommandLineAnswer(int argc, const char* const* argv)
{
    bool version = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg(argv[i]);
        if (arg == "--help" || arg == "-h") return std::string(HelpText);
        version = version || arg == "--version";
    }
    if (version) return std::string("norvane ") + NORVANE_VERSION + "\n";
    return std::nullopt;
}
