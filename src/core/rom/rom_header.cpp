// Parsing and checking of the ROM footer, and the CRC-32 of an image.
#include "rom_header.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

#include "../file_kind.h"

#include <algorithm>
#include <cstdio>
#include <zlib.h>

namespace kl {

namespace {

bool isLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool isTrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }
bool isCodeCharacter(unsigned char b) { return (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z'); }

}  // namespace

bool isRomImageSize(std::uint64_t size)
{
    return size >= kMinRomSize && size <= kMaxRomSize && (size & (size - 1)) == 0;
}

bool isShiftJisText(std::span<const unsigned char> bytes)
{
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const unsigned char b = bytes[i];
        if ((b >= 0x20 && b <= 0x7E) || (b >= 0xA1 && b <= 0xDF))
            continue;
        if (isLeadByte(b) && i + 1 < bytes.size() && isTrailByte(bytes[i + 1])) {
            ++i;
            continue;
        }
        return false;
    }
    return true;
}

std::optional<RomHeader> romHeaderOf(std::span<const unsigned char> image)
{
    if (!isRomImageSize(image.size()))
        return std::nullopt;
    const auto footer = image.subspan(image.size() - kFooterOffsetFromEnd, kFooterSize);

    // The title is 20 bytes padded with blanks (some tools pad with NULs), then a NUL.
    std::size_t titleEnd = 20;
    while (titleEnd > 0 && (footer[titleEnd - 1] == ' ' || footer[titleEnd - 1] == 0))
        --titleEnd;
    const auto title = footer.first(titleEnd);
    if (titleEnd == 0 || !isShiftJisText(title) || footer[20] != 0)
        return std::nullopt;
    const auto maker = footer.subspan(25, 2);
    const auto game = footer.subspan(27, 4);
    for (unsigned char b : maker)
        if (!isCodeCharacter(b))
            return std::nullopt;
    for (unsigned char b : game)
        if (!isCodeCharacter(b))
            return std::nullopt;

    RomHeader header;
    header.title.assign(title.begin(), title.end());
    header.makerCode.assign(maker.begin(), maker.end());
    header.gameCode.assign(game.begin(), game.end());
    header.version = footer[31];
    header.region = game[3] == 'J' ? "Japan" : game[3] == 'E' ? "USA" : "Unknown";
    return header;
}

std::optional<std::string> readRomImage(const std::string& path)
{
    const int fd = openRegularFile(path);
    if (fd < 0)
        return std::nullopt;
    std::optional<std::string> result;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && st.st_size > 0 && isRomImageSize(static_cast<std::uint64_t>(st.st_size))) {
        std::string bytes(static_cast<std::size_t>(st.st_size), '\0');
        std::size_t got = 0;
        while (got < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            got += static_cast<std::size_t>(n);
        }
        if (got == bytes.size())
            result = std::move(bytes);
    }
    ::close(fd);
    return result;
}

std::uint32_t crc32Of(std::span<const unsigned char> bytes)
{
    uLong crc = ::crc32(0L, Z_NULL, 0);
    // zlib takes lengths as uInt; an image is far below that, but stay correct for any span.
    while (!bytes.empty()) {
        const auto chunk = static_cast<uInt>(std::min<std::size_t>(bytes.size(), 1u << 30));
        crc = ::crc32(crc, bytes.data(), chunk);
        bytes = bytes.subspan(chunk);
    }
    return static_cast<std::uint32_t>(crc);
}

}  // namespace kl
