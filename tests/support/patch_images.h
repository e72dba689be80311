// The images the patch fixtures were made for and from, generated rather than committed: a
// seeded xorshift32 stream (each byte the top 8 bits of the state after one step) and fixed
// edits of it. tests/core/patches/make-fixtures.sh made the committed patches from these with
// Floating IPS; the tests and kl_make_image generate them again.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace fixture {

inline std::string generated(std::uint32_t seed, std::size_t size)
{
    std::string bytes(size, '\0');
    std::uint32_t state = seed;
    for (char& b : bytes) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        b = static_cast<char>(state >> 24);
    }
    return bytes;
}

constexpr std::size_t kKiB = 1024;

// The game as dumped: 32 KiB.
inline std::string source() { return generated(1, 32 * kKiB); }

// A translation: new text at 0x100, four 1 KiB blocks from 0x2000 in reverse order (copied
// backwards from the source), a run of 0xFF at 0x6000, and one changed byte near the end.
inline std::string translated()
{
    const std::string original = source();
    std::string image = original;
    image.replace(0x100, 128, generated(2, 128));
    for (int block = 0; block < 4; ++block)
        image.replace(0x2000 + block * kKiB, kKiB, original.substr(0x2000 + (3 - block) * kKiB, kKiB));
    image.replace(0x6000, 256, 256, '\xff');
    image[image.size() - 7] = '\x5a';
    return image;
}

// An expansion to twice the size: the translation, then the source again with its halves
// swapped.
inline std::string doubled()
{
    const std::string original = source();
    return translated() + original.substr(16 * kKiB) + original.substr(0, 16 * kKiB);
}

// An expansion into free space: the translation, then 32 KiB of zeros holding 256 new bytes.
inline std::string padded()
{
    std::string free(32 * kKiB, '\0');
    free.replace(0x100, 256, generated(4, 256));
    return translated() + free;
}

// A cut to half the size.
inline std::string halved() { return translated().substr(0, 16 * kKiB); }

// By name, for kl_make_image: "source", "translated", "doubled", "padded", "halved"; empty
// otherwise.
inline std::string named(std::string_view name)
{
    if (name == "source")
        return source();
    if (name == "translated")
        return translated();
    if (name == "doubled")
        return doubled();
    if (name == "padded")
        return padded();
    if (name == "halved")
        return halved();
    return {};
}

}  // namespace fixture
