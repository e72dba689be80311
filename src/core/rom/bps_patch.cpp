// BPS: "BPS1", the source's and the result's sizes, metadata (skipped), then actions up to the
// last 12 bytes, each a number of (length - 1) << 2 | action: SourceRead copies the image at
// the output position, TargetRead bytes of the patch, SourceCopy and TargetCopy copy from a
// position each keeps, moved by a signed relative offset (TargetCopy may overlap its own
// output). The source's, the result's and the patch's CRC-32 end it.
#include "patch.h"

namespace kl {

namespace {

enum Action { SourceRead, TargetRead, SourceCopy, TargetCopy };

// A relative offset: the lowest bit is the sign. False when it leaves 0 to `limit`.
bool moveBy(std::uint64_t encoded, std::uint64_t& position, std::uint64_t limit)
{
    const std::uint64_t distance = encoded >> 1;
    if (encoded & 1) {
        if (distance > position)
            return false;
        position -= distance;
    } else {
        if (distance > limit - position)
            return false;
        position += distance;
    }
    return true;
}

}  // namespace

PatchOutcome applyBps(std::string_view image, std::string_view patch)
{
    using patching::damaged;
    std::string reason;
    std::size_t at = 0;
    const auto checks = patching::readStart(patch, "BPS", at, reason);
    if (!checks)
        return damaged(reason);
    const std::size_t end = patch.size() - 12;
    const auto metadata = patching::readNumber(patch, at);
    if (!metadata || at > end)
        return damaged("a size in it is not a number it could hold");
    if (*metadata > end - at)
        return damaged("its metadata runs past its end");
    at += *metadata;
    if (auto other = patching::againstSource(image, *checks))
        return *other;
    const std::uint64_t target = checks->targetSize;
    std::string result;
    result.reserve(target);
    std::uint64_t sourcePosition = 0, targetPosition = 0;
    while (at < end) {
        const auto command = patching::readNumber(patch, at);
        if (!command || at > end)
            return damaged("it ends part-way through an action");
        const std::uint64_t length = (*command >> 2) + 1;
        const std::uint64_t output = result.size();
        if (length > target - output)
            return damaged("an action writes beyond the patched image");
        switch (static_cast<Action>(*command & 3)) {
        case SourceRead:
            if (output + length > image.size())
                return damaged("an action reads beyond the image");
            result.append(image.substr(output, length));
            break;
        case TargetRead:
            if (length > end - at)
                return damaged("it ends part-way through an action");
            result.append(patch.substr(at, length));
            at += length;
            break;
        case SourceCopy: {
            const auto offset = patching::readNumber(patch, at);
            if (!offset || at > end)
                return damaged("it ends part-way through an action");
            if (!moveBy(*offset, sourcePosition, image.size()) || length > image.size() - sourcePosition)
                return damaged("an action reads beyond the image");
            result.append(image.substr(sourcePosition, length));
            sourcePosition += length;
            break;
        }
        case TargetCopy: {
            const auto offset = patching::readNumber(patch, at);
            if (!offset || at > end)
                return damaged("it ends part-way through an action");
            if (!moveBy(*offset, targetPosition, output) || targetPosition >= output)
                return damaged("an action copies what is not yet written");
            // Byte by byte: the copy may read what it has just written (a repeated run).
            for (std::uint64_t i = 0; i < length; ++i)
                result.push_back(result[targetPosition++]);
            break;
        }
        }
    }
    if (result.size() != target)
        return damaged("it gives fewer bytes than the patched image has");
    return patching::finished(std::move(result), checks);
}

}  // namespace kl
