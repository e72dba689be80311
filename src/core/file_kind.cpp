// File kinds from one stat, and the non-blocking open of regular files.
#include "file_kind.h"

#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kl {

FileStatus fileStatus(const std::string& path, Links links)
{
    struct stat st {};
    FileStatus status;
    if ((links == Links::Follow ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st)) != 0)
        return status;
    status.kind = S_ISREG(st.st_mode)    ? FileKind::Regular
                  : S_ISDIR(st.st_mode)  ? FileKind::Folder
                  : S_ISLNK(st.st_mode)  ? FileKind::Link
                  : S_ISFIFO(st.st_mode) ? FileKind::Pipe
                  : S_ISSOCK(st.st_mode) ? FileKind::Socket
                                         : FileKind::Device;
    status.size = static_cast<std::uint64_t>(st.st_size);
    status.permissions = st.st_mode & 07777;
    status.owner = st.st_uid;
    status.modified = st.st_mtim.tv_sec;
    return status;
}

bool isExecutableFile(const std::string& path)
{
    return fileKind(path) == FileKind::Regular && ::access(path.c_str(), X_OK) == 0;
}

int openRegularFile(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return -1;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

std::string realPath(const std::string& path)
{
    std::string real;
    if (char* resolved = ::realpath(path.c_str(), nullptr)) {
        real = resolved;
        std::free(resolved);
    }
    return real;
}

}  // namespace kl
