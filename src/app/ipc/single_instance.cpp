// The single-instance lock (flock on a per-user file), the hand-over socket's place and the
// program folder.
#include "single_instance.h"

#include "runtime_folder.h"

#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <unistd.h>

namespace {

// The lock's name: the user and a short, stable hash of the program folder, so two copies
// of the program in different folders run side by side.
std::string instanceName(const std::string& programFolder, const char* suffix)
{
    std::uint64_t hash = 1469598103934665603ull;  // FNV-1a
    for (unsigned char c : programFolder) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    char name[96];
    std::snprintf(name, sizeof name, "/kalmora-launcher-%u-%016llx.%s", static_cast<unsigned>(::getuid()),
                  static_cast<unsigned long long>(hash), suffix);
    return name;
}

std::optional<std::string> lockPath(const std::string& programFolder)
{
    const auto folder = privateRuntimeFolder();
    return folder ? std::optional(*folder + instanceName(programFolder, "lock")) : std::nullopt;
}

}  // namespace

InstanceLock acquireSingleInstanceLock(const std::string& programFolder)
{
    const auto path = lockPath(programFolder);
    const int fd = path ? ::open(path->c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600) : -1;
    if (fd < 0)
        return InstanceLock::Unavailable;  // better a second window than no window at all
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return InstanceLock::HeldByAnother;
    }
    return InstanceLock::Held;  // the descriptor stays open, and the lock held, until the process ends
}

bool instanceRunning(const std::string& programFolder)
{
    const auto path = lockPath(programFolder);
    const int fd = path ? ::open(path->c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW) : -1;
    if (fd < 0)
        return false;
    // A shared lock is refused only while the window holds its exclusive one; it is dropped
    // at once, so it never keeps a window from starting for longer than this call.
    const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0;
    ::close(fd);
    return held;
}

std::optional<std::string> handoverSocketPath(const std::string& programFolder)
{
    const auto folder = privateRuntimeFolder();
    return folder ? std::optional(*folder + instanceName(programFolder, "sock")) : std::nullopt;
}

std::string runningProgramFolder()
{
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        return std::filesystem::current_path(ec).string();
    return exe.parent_path().string();
}
