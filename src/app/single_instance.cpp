// The single-instance lock (flock on a per-user file) and the program folder.
#include "single_instance.h"

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <unistd.h>

namespace {

std::string lockPath(const std::string& programFolder)
{
    // FNV-1a keeps the name short and stable for any folder.
    std::uint64_t hash = 1469598103934665603ull;
    for (unsigned char c : programFolder) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string dir = runtime && *runtime ? runtime : "/tmp";
    char name[96];
    std::snprintf(name, sizeof name, "/kalmora-launcher-%u-%016llx.lock", static_cast<unsigned>(::getuid()),
                  static_cast<unsigned long long>(hash));
    return dir + name;
}

}  // namespace

bool acquireSingleInstanceLock(const std::string& programFolder)
{
    const std::string path = lockPath(programFolder);
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return true;  // no place for a lock: better a second window than no window at all
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    return true;  // the descriptor stays open, and the lock held, until the process ends
}

std::string runningProgramFolder()
{
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        return std::filesystem::current_path(ec).string();
    return exe.parent_path().string();
}
