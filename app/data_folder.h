#pragma once
#include <string>

// Where the program finds its files; each folder ends with "/".
struct TDataFolders {
    std::string Data;  // whois.dat and dns.dat: read here, and the update writes here
    std::string Help;  // nvHelp.html
};

// The folders of a program whose executable lies in exeDir (ending with "/"):
// - exeDir itself when it holds whois.dat (the build tree, a copy in a folder of its own);
// - otherwise the program is installed: what it ships lies in exeDir/../share/norvane/ (so
//   that a relocated or merely extracted package works too), the help is opened there, and
//   the data files live in userDataHome/norvane/. That folder is created when missing and
//   gets a copy of each shipped data file it lacks; a file it has is replaced only when
//   the shipped one's stamp is newer (an upgrade), or when it has no stamp. rdap-local.json,
//   the user's own RDAP servers, is copied when missing and never replaced.
// Seeding is best effort: what cannot be copied shows later as the usual "Cannot open
// file" naming the per-user file.
TDataFolders FindDataFolders(const std::string& exeDir, const std::string& userDataHome);

// The base of per-user data: xdgDataHome when it is an absolute path, else
// home/.local/share, the home folder of the user's password entry standing in for a home
// that is not an absolute path. Either may be null.
std::string UserDataHome(const char* xdgDataHome, const char* home);

// FindDataFolders for the running program and its user's environment.
TDataFolders ProgramDataFolders();
