// The ROM footer reader on any image: a footer it accepts has the documented shape.
#include "fuzz_support.h"
#include "rom/rom_header.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Small inputs stand for the footer of a 16 KiB image, so the fuzzer reaches its fields.
    std::basic_string<unsigned char> image(data, size);
    if (size <= kl::kFooterOffsetFromEnd) {
        image.assign(kl::kMinRomSize, 0xFF);
        std::copy(data, data + size, image.end() - static_cast<std::ptrdiff_t>(kl::kFooterOffsetFromEnd));
    }
    const std::span<const unsigned char> bytes(image.data(), image.size());
    const auto header = kl::romHeaderOf(bytes);
    if (header) {
        fuzz::require(kl::isRomImageSize(image.size()));
        fuzz::require(!header->title.empty() && header->title.size() <= 20);
        fuzz::require(header->makerCode.size() == 2 && header->gameCode.size() == 4);
        fuzz::require(header->region == "Japan" || header->region == "USA" || header->region == "Unknown");
        fuzz::require(kl::isShiftJisText({reinterpret_cast<const unsigned char*>(header->title.data()),
                                          header->title.size()}));
        kl::crc32Of(bytes);
    }
    return 0;
}
