// IPS: "PATCH", then records of a 24-bit big-endian offset and a 16-bit size followed by that
// many bytes, or by a 16-bit count and one byte to repeat (a size of 0), up to "EOF"; Floating
// IPS writes a 24-bit length after it, to which the result is cut.
#include "patch.h"

namespace kl {

namespace {

constexpr std::uint32_t kEndMarker = 0x454F46;  // "EOF"

std::uint32_t bigEndian(std::string_view patch, std::size_t at, int bytes)
{
    std::uint32_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value = value << 8 | static_cast<unsigned char>(patch[at + static_cast<std::size_t>(i)]);
    return value;
}

}  // namespace

PatchOutcome applyIps(std::string_view image, std::string_view patch)
{
    using patching::damaged;
    if (!patch.starts_with("PATCH"))
        return damaged("it is no IPS patch");
    std::string result(image);
    std::size_t at = 5;
    while (true) {
        if (patch.size() - at < 3)
            return damaged("it ends before its end marker");
        const std::uint32_t offset = bigEndian(patch, at, 3);
        at += 3;
        // "EOF" ends the patch where nothing but a length can follow; elsewhere it is the
        // offset 0x454F46 of a record, which some patchers write.
        if (offset == kEndMarker && (patch.size() == at || patch.size() - at == 3)) {
            if (patch.size() - at == 3) {
                const std::size_t length = bigEndian(patch, at, 3);
                if (length > result.size())
                    return damaged("the length after its end marker is more than the patched image has");
                result.resize(length);
            }
            return patching::finished(std::move(result));
        }
        if (patch.size() - at < 2)
            return damaged("it ends part-way through a record");
        std::size_t size = bigEndian(patch, at, 2);
        at += 2;
        char fill = 0;
        const bool repeated = size == 0;
        if (repeated) {
            if (patch.size() - at < 3)
                return damaged("it ends part-way through a record");
            size = bigEndian(patch, at, 2);
            fill = patch[at + 2];
            at += 3;
        } else if (patch.size() - at < size) {
            return damaged("it ends part-way through a record");
        }
        if (offset + size > kMaxPatchedBytes)
            return damaged("a record lies beyond the 16 MiB of an image");
        if (size == 0)
            continue;  // a run of no bytes changes nothing, not even the size
        if (result.size() < offset + size)
            result.resize(offset + size);
        if (repeated) {
            result.replace(offset, size, size, fill);
        } else {
            result.replace(offset, size, patch.substr(at, size));
            at += size;
        }
    }
}

}  // namespace kl
