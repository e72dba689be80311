// The entries of a zip archive and the ROM footer of its first Virtual Boy image, read in memory.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "rom_header.h"

namespace kl {

// No entry is read beyond this, so a hostile archive cannot exhaust memory; it is also the
// largest Virtual Boy image.
inline constexpr std::uint64_t kMaxEntryBytes = kMaxRomSize;

struct ArchiveEntry {
    std::string name;    // UTF-8, as libzip decodes it
    std::uint64_t size;  // as the archive claims it
};

struct ArchiveRom {
    std::string name;
    std::optional<RomHeader> header;  // nothing: no valid footer, or larger than an image can be
    std::uint32_t crc = 0;            // of the bytes read; meaningful only with a header
    std::string image;                // the bytes read, for the catalogues
};

struct ArchiveContents {
    std::vector<ArchiveEntry> entries;
    std::optional<ArchiveRom> rom;  // the first entry whose name ends in ".vb", in any case
};

// A name ending in ".vb", in any case: a Virtual Boy image.
bool isRomName(std::string_view name);

// Nothing when the archive is damaged, encrypted where it must be read, or not a regular file.
std::optional<ArchiveContents> readArchiveFile(const std::string& path);
std::optional<ArchiveContents> readArchive(std::span<const unsigned char> bytes);

// The image a game file holds: a .vb file's bytes, or a zip's first ROM image, when it has an
// image's size. The catalogues identify it and its play time is kept under it.
std::optional<std::string> readGameImage(const std::string& path);

}  // namespace kl
