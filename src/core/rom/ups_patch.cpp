// UPS: "UPS1", the source's and the result's sizes, then hunks up to the last 12 bytes: a
// distance to skip and bytes XORed into the image up to a zero byte, which ends the hunk (and
// takes one position of its own). The source's, the result's and the patch's CRC-32 end it.
#include "patch.h"

#include <algorithm>

namespace kl {

PatchOutcome applyUps(std::string_view image, std::string_view patch)
{
    using patching::damaged;
    std::string reason;
    std::size_t at = 0;
    const auto checks = patching::readStart(patch, "UPS", at, reason);
    if (!checks)
        return damaged(reason);
    if (auto other = patching::againstSource(image, *checks))
        return *other;
    const std::uint64_t target = checks->targetSize;
    std::string result(image);
    result.resize(target);
    // A patch works both ways, so its hunks reach over the longer of the two; what lies past
    // the result is the source's, and changes nothing here.
    const std::uint64_t reach = std::max(checks->sourceSize, target);
    const std::size_t end = patch.size() - 12;
    std::uint64_t position = 0;
    while (at < end) {
        const auto skip = patching::readNumber(patch, at);
        if (!skip || at > end)
            return damaged("it ends part-way through a hunk");
        if (*skip > reach - std::min(position, reach))
            return damaged("a hunk lies beyond the patched image");
        position += *skip;
        while (true) {
            if (at >= end)
                return damaged("it ends part-way through a hunk");
            const char x = patch[at++];
            if (x == 0) {
                ++position;  // the zero changes nothing, but counts
                break;
            }
            if (position >= reach)
                return damaged("a hunk lies beyond the patched image");
            if (position < target)
                result[position] = static_cast<char>(result[position] ^ x);
            ++position;
        }
    }
    return patching::finished(std::move(result), checks);
}

}  // namespace kl
