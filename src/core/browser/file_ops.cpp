// No-replace rename and write-protection-aware delete.
#include "file_ops.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "../file_kind.h"

namespace kl {

bool renameFile(const std::string& from, const std::string& to)
{
    const FileKind kind = fileStatus(from, Links::Keep).kind;
    if (kind == FileKind::Missing || kind == FileKind::Folder)
        return false;
    if (from == to)
        return ::access(from.c_str(), F_OK) == 0;
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // File systems without the flag: a hard link fails atomically when the name exists.
    if (::link(from.c_str(), to.c_str()) != 0)
        return false;
    if (::unlink(from.c_str()) != 0) {
        ::unlink(to.c_str());
        return false;
    }
    return true;
}

bool deleteFile(const std::string& path)
{
    const FileStatus status = fileStatus(path, Links::Keep);
    if (status.kind == FileKind::Missing || status.kind == FileKind::Folder)
        return false;
    if (status.kind != FileKind::Link && (status.permissions & S_IWUSR) == 0)
        return false;
    return ::unlink(path.c_str()) == 0;
}

}  // namespace kl
