// What the three readers share: the magic bytes, the outcomes, and the numbers and checksums
// of UPS and BPS.
#include "patch.h"

#include <span>

#include "rom_header.h"

namespace kl {

namespace {

std::uint32_t crcOf(std::string_view bytes)
{
    return crc32Of(std::span(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()));
}

std::uint32_t littleEndian32(std::string_view bytes)
{
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(bytes[static_cast<std::size_t>(i)]);
    return value;
}

}  // namespace

std::string_view patchFormatName(PatchFormat format)
{
    switch (format) {
    case PatchFormat::Ips: return "IPS";
    case PatchFormat::Ups: return "UPS";
    case PatchFormat::Bps: return "BPS";
    }
    return {};
}

std::optional<PatchFormat> patchFormatOf(std::string_view patch)
{
    if (patch.starts_with("PATCH"))
        return PatchFormat::Ips;
    if (patch.starts_with("UPS1"))
        return PatchFormat::Ups;
    if (patch.starts_with("BPS1"))
        return PatchFormat::Bps;
    return std::nullopt;
}

PatchOutcome applyPatch(std::string_view image, std::string_view patch)
{
    if (patch.size() > kMaxPatchedBytes)
        return patching::damaged("it is larger than 16 MiB");
    if (image.size() > kMaxPatchedBytes)
        return patching::damaged("the image is larger than 16 MiB");
    switch (patchFormatOf(patch).value_or(PatchFormat(-1))) {
    case PatchFormat::Ips: return applyIps(image, patch);
    case PatchFormat::Ups: return applyUps(image, patch);
    case PatchFormat::Bps: return applyBps(image, patch);
    }
    return patching::damaged("it is no IPS, UPS or BPS patch");
}

namespace patching {

PatchOutcome damaged(std::string reason)
{
    PatchOutcome outcome;
    outcome.reason = std::move(reason);
    return outcome;
}

PatchOutcome finished(std::string result, std::optional<PatchChecks> checks)
{
    if (!isRomImageSize(result.size())) {
        PatchOutcome outcome = damaged("the patched image has " + std::to_string(result.size())
                                       + " bytes, which is no Virtual Boy image's size");
        outcome.checks = checks;
        return outcome;
    }
    if (checks && crcOf(result) != checks->targetCrc) {
        PatchOutcome outcome = damaged("the patched image does not have the CRC-32 the patch gives");
        outcome.checks = checks;
        return outcome;
    }
    PatchOutcome outcome;
    outcome.status = PatchOutcome::Status::Applied;
    outcome.result = std::move(result);
    outcome.checks = checks;
    return outcome;
}

std::optional<PatchOutcome> againstSource(std::string_view image, const PatchChecks& checks)
{
    const std::uint32_t crc = crcOf(image);
    if (image.size() == checks.sourceSize && crc == checks.sourceCrc)
        return std::nullopt;
    PatchOutcome outcome;
    outcome.checks = checks;
    outcome.status = image.size() == checks.targetSize && crc == checks.targetCrc ? PatchOutcome::Status::AlreadyApplied
                                                                                  : PatchOutcome::Status::WrongSource;
    return outcome;
}

std::optional<std::uint64_t> readNumber(std::string_view patch, std::size_t& at)
{
    std::uint64_t value = 0, shift = 1;
    while (at < patch.size()) {
        const auto byte = static_cast<unsigned char>(patch[at++]);
        value += (byte & 0x7f) * shift;
        if (byte & 0x80)
            return value < (std::uint64_t(1) << 48) ? std::optional(value) : std::nullopt;
        shift <<= 7;
        value += shift;
        if (shift > (std::uint64_t(1) << 48))
            return std::nullopt;
    }
    return std::nullopt;
}

std::optional<PatchChecks> readFooter(std::string_view patch, std::string& reason)
{
    if (patch.size() < 4 + 12) {
        reason = "it ends before its checksums";
        return std::nullopt;
    }
    const std::string_view footer = patch.substr(patch.size() - 12);
    if (crcOf(patch.substr(0, patch.size() - 4)) != littleEndian32(footer.substr(8))) {
        reason = "its own CRC-32 does not match, so the file is damaged";
        return std::nullopt;
    }
    PatchChecks checks;
    checks.sourceCrc = littleEndian32(footer.substr(0, 4));
    checks.targetCrc = littleEndian32(footer.substr(4, 4));
    return checks;
}

std::optional<PatchChecks> readStart(std::string_view patch, std::string_view format, std::size_t& at,
                                     std::string& reason)
{
    if (patch.size() < 4 || patch.substr(0, 3) != format || patch[3] != '1') {
        reason = "it is no " + std::string(format) + " patch";
        return std::nullopt;
    }
    auto checks = readFooter(patch, reason);
    if (!checks)
        return std::nullopt;
    at = 4;
    const auto source = readNumber(patch, at);
    const auto target = source ? readNumber(patch, at) : std::nullopt;
    if (!target || at > patch.size() - 12) {
        reason = "a size in it is not a number it could hold";
        return std::nullopt;
    }
    if (*source > kMaxPatchedBytes || *target > kMaxPatchedBytes) {
        reason = "it is made for more than the 16 MiB of an image";
        return std::nullopt;
    }
    checks->sourceSize = *source;
    checks->targetSize = *target;
    return checks;
}

}  // namespace patching

}  // namespace kl
