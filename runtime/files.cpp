#include "runtime/files.h"

#include "runtime/codepage.h"
#include "runtime/exception.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Messages are the program's text (Windows-1252); a path is as the file system gives it
// (UTF-8), so it changes code page where it enters a message.
std::string PathText(const std::string& path) { return Utf8ToCp1252(path); }

[[noreturn]] void CannotOpen(const std::string& path) { throw EFOpenError("Cannot open file " + PathText(path)); }

[[noreturn]] void CannotCreate(const std::string& path) { throw EFCreateError("Cannot create file " + PathText(path)); }

bool WriteAll(int fd, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// The folder part of a path, "." when it has none.
std::string FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// A new file of a name of its own in the path's folder (so that a rename is atomic and no
// other writer shares it), written and synced; returns its name.
std::string WriteBeside(const std::string& path, const std::string& bytes)
{
    const size_t slash = path.rfind('/');
    std::string temporary = path.substr(0, slash + 1) + "." + path.substr(slash + 1) + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) CannotCreate(path);
    const bool written = ::fchmod(fd, 0644) == 0 && WriteAll(fd, bytes) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed) {
        ::unlink(temporary.c_str());
        CannotCreate(path);
    }
    return temporary;
}

// A rename is durable once the folder holding the name is synced.
void SyncFolderOf(const std::string& path)
{
    const int fd = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// An exclusive lock on a folder for as long as it lives, taken by every replacement of
// a file in it: a check of the present file and the replacement it decides are then never
// split by another replacement. Where the folder cannot be locked, nothing waits.
class FolderLock {
public:
    explicit FolderLock(const std::string& path) : FFd(::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
        if (FFd >= 0)
            while (::flock(FFd, LOCK_EX) != 0 && errno == EINTR) {
            }
    }
    ~FolderLock()
    {
        if (FFd >= 0) ::close(FFd);
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    int FFd;
};

void ReplaceUnlocked(const std::string& path, const std::string& bytes)
{
    const std::string temporary = WriteBeside(path, bytes);
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        CannotCreate(path);
    }
    SyncFolderOf(path);
}

}  // namespace

std::string ReadFileBytes(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) CannotOpen(path);
    std::string bytes;
    char chunk[65536];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            CannotOpen(path);
        }
        if (n == 0) break;
        bytes.append(chunk, static_cast<size_t>(n));
    }
    ::close(fd);
    return bytes;
}

void WriteFileBytes(const std::string& path, const std::string& bytes)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) CannotCreate(path);
    const bool written = WriteAll(fd, bytes);
    const bool closed = ::close(fd) == 0;
    if (!written || !closed) CannotCreate(path);
}

void ReplaceFileAtomically(const std::string& path, const std::string& bytes)
{
    const FolderLock lock(path);
    ReplaceUnlocked(path, bytes);
}

bool ReplaceFileIf(const std::string& path, const std::string& bytes, const std::function<bool(const std::string&)>& wanted)
{
    const FolderLock lock(path);
    std::string present;
    try {
        present = ReadFileBytes(path);
    } catch (const std::exception&) {
    }
    if (!wanted(present)) return false;
    ReplaceUnlocked(path, bytes);
    return true;
}

bool CreateFileAtomically(const std::string& path, const std::string& bytes)
{
    const std::string temporary = WriteBeside(path, bytes);
    int status = ::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE);
    // File systems without the no-replace rename still refuse a link over an existing name.
    if (status != 0 && (errno == EINVAL || errno == ENOSYS)) status = ::link(temporary.c_str(), path.c_str());
    const int error = errno;
    ::unlink(temporary.c_str());
    if (status != 0 && error != EEXIST) CannotCreate(path);
    SyncFolderOf(path);
    return status == 0;
}

std::string ExecutableDirectory()
{
    char buffer[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return "./";
    std::string path(buffer, static_cast<size_t>(n));
    return path.substr(0, path.rfind('/') + 1);
}
