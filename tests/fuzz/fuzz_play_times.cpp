// The play times' reader: any bytes parse without a fault; what it reads writes back to the
// same bytes, and a session added to it keeps every other game's figures.
#include "config/play_times.h"
#include "fuzz_support.h"

#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto records = kl::parsePlayTimes(bytes);
    if (!records)
        return 0;
    fuzz::require(kl::formatPlayTimes(*records) == bytes);
    for (const kl::PlayRecord& r : *records)
        fuzz::require(!kl::playedText(&r).empty() && r.sessions > 0 && r.lastPath.front() == '/');
    if (records->empty())
        return 0;
    // The first game played once more: one session more, the others unchanged.
    std::vector<kl::PlayRecord> after = *records;
    kl::PlayRecord& first = after.front();
    first.sessions = first.sessions == UINT64_MAX ? first.sessions : first.sessions + 1;
    const auto reread = kl::parsePlayTimes(kl::formatPlayTimes(after));
    fuzz::require(reread && *reread == after);
    return 0;
}
