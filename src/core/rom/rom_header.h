// The Virtual Boy ROM footer: title, maker and game codes, region, version, and the CRC-32.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace kl {

// The footer lies 0x220 bytes before the end of the image and is 32 bytes long.
inline constexpr std::size_t kFooterOffsetFromEnd = 0x220;
inline constexpr std::size_t kFooterSize = 32;
inline constexpr std::uint64_t kMinRomSize = 16 * 1024;
inline constexpr std::uint64_t kMaxRomSize = 16 * 1024 * 1024;

struct RomHeader {
    std::string title;      // Shift-JIS bytes as stored, trailing padding removed
    std::string makerCode;  // 2 characters
    std::string gameCode;   // 4 characters; the last one names the region
    int version = 0;
    std::string region;     // "Japan", "USA" or "Unknown"
};

// A Virtual Boy image is a power of two from 16 KiB to 16 MiB.
bool isRomImageSize(std::uint64_t size);

// The footer of a whole image in memory; nothing when the size or the footer is not valid.
std::optional<RomHeader> romHeaderOf(std::span<const unsigned char> image);

// Reads a ROM file of a valid size whole; nothing for any other file or a read error.
std::optional<std::string> readRomImage(const std::string& path);

// zlib's CRC-32 of the bytes.
std::uint32_t crc32Of(std::span<const unsigned char> bytes);

// True when the bytes are JIS X 0201 or Shift-JIS text: printable ASCII, half-width katakana
// or a valid double-byte pair.
bool isShiftJisText(std::span<const unsigned char> bytes);

}  // namespace kl
