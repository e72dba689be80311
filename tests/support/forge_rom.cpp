// forge_rom OUT SIZE CRC32 [TITLE CODE]: writes an image forged to that size and CRC-32.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "forged_rom.h"

int main(int argc, char** argv)
{
    if (argc != 4 && argc != 6) {
        std::fprintf(stderr, "usage: forge_rom OUT SIZE CRC32 [TITLE CODE]\n");
        return 2;
    }
    const std::size_t size = std::strtoull(argv[2], nullptr, 0);
    const auto crc = static_cast<std::uint32_t>(std::strtoul(argv[3], nullptr, 16));
    if (size < 0x400) {
        std::fprintf(stderr, "forge_rom: the size is too small\n");
        return 2;
    }
    const std::string bytes = forge::image(size, crc, argc == 6 ? argv[4] : "FORGED", argc == 6 ? argv[5] : "VXXE");
    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size() || std::fclose(out) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    const auto made = crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size()));
    return made == crc ? 0 : 1;
}
