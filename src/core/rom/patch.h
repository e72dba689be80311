// Patches of a game image as fan translations and hacks are published: IPS, UPS and BPS, each
// read from its published definition, the format told by its magic bytes. Applied in memory,
// bounded by the Virtual Boy's 16 MiB of ROM space; no input makes more of anything.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kl {

// The largest image, result and patch read: the Virtual Boy's whole ROM space.
inline constexpr std::size_t kMaxPatchedBytes = 16 * 1024 * 1024;

enum class PatchFormat { Ips, Ups, Bps };
// "IPS", "UPS", "BPS".
std::string_view patchFormatName(PatchFormat format);
// By the magic bytes ("PATCH", "UPS1", "BPS1"); nothing for anything else.
std::optional<PatchFormat> patchFormatOf(std::string_view patch);

// What a checked patch (UPS, BPS) says of the image it was made for and of its result.
struct PatchChecks {
    std::uint64_t sourceSize = 0;
    std::uint64_t targetSize = 0;
    std::uint32_t sourceCrc = 0;
    std::uint32_t targetCrc = 0;
};

struct PatchOutcome {
    enum class Status {
        Applied,         // `result` holds the patched image
        AlreadyApplied,  // the image is the patch's result already
        WrongSource,     // made for another image, which `checks` describes
        Damaged,         // `reason` says why, in words that follow "cannot be applied: "
    };
    Status status = Status::Damaged;
    std::string result;
    std::string reason;
    std::optional<PatchChecks> checks;  // nothing for IPS, which carries none
};

// Each reader takes the whole image and the whole patch of its format. A result that is no
// image's size (a power of two from 16 KiB to 16 MiB) is damage, as a ROM reader sees it.
PatchOutcome applyIps(std::string_view image, std::string_view patch);
PatchOutcome applyUps(std::string_view image, std::string_view patch);
PatchOutcome applyBps(std::string_view image, std::string_view patch);
// The reader of the patch's format; a file that is no patch is damage.
PatchOutcome applyPatch(std::string_view image, std::string_view patch);

// Shared by the readers: the outcomes they end with, and the numbers of UPS and BPS.
namespace patching {
PatchOutcome damaged(std::string reason);
// The result once applied: damage unless it has an image's size.
PatchOutcome finished(std::string result, std::optional<PatchChecks> checks = std::nullopt);
// For a checked patch, before it is applied: the outcome when the image is not its source
// (already its result, or another image), else nothing.
std::optional<PatchOutcome> againstSource(std::string_view image, const PatchChecks& checks);
// The variable-length numbers of UPS and BPS; nothing past the end or beyond 2^48, which no
// bounded patch needs.
std::optional<std::uint64_t> readNumber(std::string_view patch, std::size_t& at);
// The three little-endian CRC-32s that end a UPS or BPS patch, its own checked; nothing when
// the patch is too short, `reason` then says why.
std::optional<PatchChecks> readFooter(std::string_view patch, std::string& reason);
// The start of a UPS or BPS patch: its magic ("UPS1", "BPS1" for "UPS", "BPS"), its footer
// and the two sizes within the bounds, `at` left after them; nothing with `reason` otherwise.
std::optional<PatchChecks> readStart(std::string_view patch, std::string_view format, std::size_t& at,
                                     std::string& reason);
}  // namespace patching

}  // namespace kl
