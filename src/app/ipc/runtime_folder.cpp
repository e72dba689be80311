// The private runtime folder.
#include "runtime_folder.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

#include "file_kind.h"

namespace {

// A folder only this user can enter: ours, not a link, no rights for group or others.
bool isPrivateFolder(const std::string& path)
{
    const kl::FileStatus status = kl::fileStatus(path, kl::Links::Keep);
    return status.kind == kl::FileKind::Folder && status.owner == ::getuid() && (status.permissions & 077) == 0;
}

}  // namespace

std::optional<std::string> privateRuntimeFolder()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/' && isPrivateFolder(runtime))
        return std::string(runtime);
    // One that exists must be ours and private already; another user may have made it to
    // catch our messages or to hold our lock.
    const std::string folder = "/tmp/kalmora-launcher-" + std::to_string(::getuid());
    ::mkdir(folder.c_str(), 0700);
    if (!isPrivateFolder(folder))
        return std::nullopt;
    return folder;
}
