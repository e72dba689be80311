// The reader of Steam's libraryfolders.vdf on any bytes: it ends, and gives only absolute paths,
// never more of them than the text could hold.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "wine/key_values.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto folders = kl::steamLibraryFolders(text);
    if (folders.size() > size)
        std::abort();
    for (const auto& folder : folders)
        if (folder.empty() || folder.front() != '/')
            std::abort();
    return 0;
}
