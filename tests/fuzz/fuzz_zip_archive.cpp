// The archive reader on any bytes: never a fault, never an entry read beyond the limit.
#include "fuzz_support.h"
#include "rom/zip_archive.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto contents = kl::readArchive({data, size});
    if (contents && contents->rom) {
        bool listed = false;
        for (const kl::ArchiveEntry& e : contents->entries)
            listed = listed || e.name == contents->rom->name;
        fuzz::require(listed);
    }
    return 0;
}
