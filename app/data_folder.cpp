#include "app/data_folder.h"

#include "runtime/files.h"
#include "update/data_stamp.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string_view>

namespace {

const char* const SharedFiles[] = {"whois.dat", "dns.dat", "rdap.json", "ipv4.json", "ipv6.json", "asn.json"};
// The user's own: copied when missing, never replaced afterwards, even by an upgrade.
const char* const UserOwnedFiles[] = {"rdap-local.json"};

bool Exists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

// "/usr/bin/" gives "/usr/".
std::string ParentFolder(const std::string& folder)
{
    const std::string trimmed = folder.substr(0, folder.find_last_not_of('/') + 1);
    const size_t slash = trimmed.rfind('/');
    return slash == std::string::npos ? folder + "../" : trimmed.substr(0, slash + 1);
}

// Like mkdir -p; private to the user, as per-user data folders are.
void MakeFolders(const std::string& folder)
{
    for (size_t slash = folder.find('/', 1); slash != std::string::npos; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return;
    }
}

// A per-user copy is refreshed when the shipped one carries a newer stamp (a package
// upgrade), or when it has no stamp at all (unusable, it could never be updated).
bool ShippedIsNewer(const std::string& shippedBytes, const std::string& userBytes, bool bootstrap)
{
    // The bootstrap files (*.json) are stamped by their "publication", the others by their
    // first line.
    const auto stampOf = bootstrap ? PublicationOfText : StampOfText;
    std::string shipped, user;
    if (!stampOf(shippedBytes, shipped)) return false;
    if (!stampOf(userBytes, user)) return true;
    return StampIsNewer(shipped, user);
}

void SeedUserFolder(const std::string& shipped, const std::string& user)
{
    MakeFolders(user);
    for (const char* name : SharedFiles) {
        try {
            const std::string bytes = ReadFileBytes(shipped + name);
            // Another instance may be seeding or updating the same folder at this moment:
            // a file that appears meanwhile is kept, no name ever shows a partial file, and
            // an update is never replaced by the older shipped copy it came after.
            const bool created = !Exists(user + name) && CreateFileAtomically(user + name, bytes);
            const bool bootstrap = std::string_view(name).ends_with(".json");
            if (!created)
                ReplaceFileIf(user + name, bytes, [&](const std::string& present) { return ShippedIsNewer(bytes, present, bootstrap); });
        } catch (const std::exception&) {
            // Reported when the file is read.
        }
    }
    for (const char* name : UserOwnedFiles) {
        try {
            if (!Exists(user + name)) CreateFileAtomically(user + name, ReadFileBytes(shipped + name));
        } catch (const std::exception&) {
            // Without it, rdap.json alone says where RDAP servers are.
        }
    }
}

// The user's entry in the password database.
std::string PasswordHome()
{
    const passwd* entry = ::getpwuid(::getuid());
    return entry != nullptr && entry->pw_dir != nullptr ? entry->pw_dir : "/";
}

}  // namespace

TDataFolders FindDataFolders(const std::string& exeDir, const std::string& userDataHome)
{
    if (Exists(exeDir + "whois.dat")) return {exeDir, exeDir};
    const std::string shipped = ParentFolder(exeDir) + "share/norvane/";
    std::string user = userDataHome;
    if (user.empty() || user.back() != '/') user += '/';
    user += "norvane/";
    SeedUserFolder(shipped, user);
    return {user, shipped};
}

std::string UserDataHome(const char* xdgDataHome, const char* home)
{
    if (xdgDataHome != nullptr && xdgDataHome[0] == '/') return xdgDataHome;
    // A relative HOME would put the data under whatever folder the program starts in.
    std::string base = home != nullptr && home[0] == '/' ? home : PasswordHome();
    if (!base.empty() && base.back() == '/') base.pop_back();
    return base + "/.local/share";
}

TDataFolders ProgramDataFolders()
{
    return FindDataFolders(ExecutableDirectory(), UserDataHome(std::getenv("XDG_DATA_HOME"), std::getenv("HOME")));
}
