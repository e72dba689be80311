// The patch readers on any bytes: a refusal with a reason, or a result of an image's size. The
// image is the generated source the committed fixtures were made for; a checked patch gets the
// image's CRC-32 and its own written into its footer, so the fuzzer reaches its records rather
// than stopping at the checksums.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <string>

#include "../support/patch_images.h"
#include "fuzz_support.h"
#include "rom/patch.h"

namespace fuzz {

inline void putCrc(std::string& bytes, std::size_t at, std::uint32_t crc)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + std::size_t(i)] = static_cast<char>(crc >> (8 * i));
}

inline std::uint32_t crcOf(const std::string& bytes, std::size_t size)
{
    return static_cast<std::uint32_t>(::crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(size)));
}

inline void applyAny(const std::uint8_t* data, std::size_t size, const char* magic,
                     kl::PatchOutcome (*apply)(std::string_view, std::string_view))
{
    static const std::string image = fixture::source();
    std::string patch = magic + std::string(reinterpret_cast<const char*>(data), size);
    if (std::string(magic) != "PATCH" && patch.size() >= 16 && (size == 0 || data[0] & 1)) {
        putCrc(patch, patch.size() - 12, crcOf(image, image.size()));
        putCrc(patch, patch.size() - 4, crcOf(patch, patch.size() - 4));
    }
    const kl::PatchOutcome outcome = apply(image, patch);
    using Status = kl::PatchOutcome::Status;
    require(outcome.status == Status::Applied ? kl::patching::finished(outcome.result).status == Status::Applied
                                              : outcome.result.empty());
    require(outcome.result.size() <= kl::kMaxPatchedBytes);
    require(outcome.status != Status::Damaged || !outcome.reason.empty());
    require(outcome.status != Status::WrongSource || outcome.checks.has_value());
    require(kl::applyPatch(image, patch).status == outcome.status);
}

}  // namespace fuzz
