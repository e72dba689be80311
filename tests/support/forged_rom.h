// An image forged to a catalogue entry's size and CRC-32, with bytes of no real game: what a
// bad dump or a deliberate forgery looks like to the catalogues.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <string>

namespace forge {

// CRC-32 as zlib computes it, from the register before the final inversion.
inline std::uint32_t tableEntry(std::uint32_t index)
{
    std::uint32_t c = index;
    for (int k = 0; k < 8; ++k)
        c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    return c;
}

// `size` bytes with a ROM footer of this title and game code, whose last four bytes make the
// CRC-32 come out as `crc`. Feeding four bytes b into the register r is the same as feeding
// four zeros into r ^ b, so the four bytes are the register the target is reached from by
// zeros (found by running the CRC backwards) XOR the register after the rest.
inline std::string image(std::size_t size, std::uint32_t crc, const std::string& title, const std::string& code)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 131) ^ (i >> 9));
    const std::string footer = (title + std::string(20, ' ')).substr(0, 20) + std::string(5, '\0') + "01" + code + '\0';
    bytes.replace(size - 0x220, footer.size(), footer);
    const auto* data = reinterpret_cast<const Bytef*>(bytes.data());
    const std::uint32_t before = ~static_cast<std::uint32_t>(crc32(0, data, static_cast<uInt>(size - 4)));
    std::uint32_t state = ~crc;
    for (int k = 0; k < 4; ++k) {
        std::uint32_t index = 0;
        while (tableEntry(index) >> 24 != state >> 24)
            ++index;
        state = ((state ^ tableEntry(index)) << 8) | index;
    }
    const std::uint32_t patch = state ^ before;
    for (int k = 0; k < 4; ++k)
        bytes[size - 4 + k] = static_cast<char>(patch >> (8 * k));
    return bytes;
}

}  // namespace forge
