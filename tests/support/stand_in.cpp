// A stand-in emulator that tells what it was started with: its open descriptors in fds.txt
// and its arguments, one a line, in args.txt, both beside itself (args.txt last and whole,
// so a test that waits for it finds both). With KL_STAND_IN_SECONDS it then plays for that
// long and adds its process id to ended.txt as it ends.
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>

#include <cstdio>
#include <set>
#include <string>

namespace {

bool writeWhole(const std::string& path, const std::string& text)
{
    const std::string temp = path + ".tmp";
    std::FILE* f = std::fopen(temp.c_str(), "w");
    if (!f)
        return false;
    const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && ok && std::rename(temp.c_str(), path.c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv)
{
    // Listed before anything here opens a file of its own.
    std::set<int> open;
    if (DIR* dir = ::opendir("/proc/self/fd")) {
        while (const dirent* entry = ::readdir(dir))
            if (entry->d_name[0] != '.' && std::stoi(entry->d_name) != ::dirfd(dir))
                open.insert(std::stoi(entry->d_name));
        ::closedir(dir);
    }
    std::string here = argv[0];
    here = here.find('/') == std::string::npos ? "." : here.substr(0, here.rfind('/'));
    std::string fds;
    for (const int fd : open)
        fds += std::to_string(fd) + '\n';
    std::string args;
    for (int i = 1; i < argc; ++i)
        args += std::string(argv[i]) + '\n';
    if (!writeWhole(here + "/fds.txt", fds) || !writeWhole(here + "/args.txt", args))
        return 3;
    if (const char* seconds = std::getenv("KL_STAND_IN_SECONDS")) {
        ::sleep(static_cast<unsigned>(std::atoi(seconds)));
        const std::string line = std::to_string(::getpid()) + '\n';
        const int fd = ::open((here + "/ended.txt").c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (fd < 0 || ::write(fd, line.data(), line.size()) != static_cast<ssize_t>(line.size()))
            return 3;
        ::close(fd);
    }
    return 0;
}
