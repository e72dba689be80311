// The digests the catalogues and the play times name images by, and their hexadecimal forms.
#include <nettle/md5.h>
#include <nettle/sha1.h>

#include <charconv>

#include "catalogue.h"

namespace kl {

namespace {

template <std::size_t Size>
std::optional<std::array<std::uint8_t, Size>> digestOfHex(std::string_view text)
{
    std::array<std::uint8_t, Size> digest{};
    if (text.size() != 2 * Size)
        return std::nullopt;
    for (std::size_t i = 0; i < Size; ++i) {
        const auto [end, ec] = std::from_chars(text.data() + 2 * i, text.data() + 2 * i + 2, digest[i], 16);
        if (ec != std::errc() || end != text.data() + 2 * i + 2)
            return std::nullopt;
    }
    return digest;
}

}  // namespace

Sha1 sha1Of(std::span<const unsigned char> bytes)
{
    sha1_ctx context;
    sha1_init(&context);
    sha1_update(&context, bytes.size(), bytes.data());
    Sha1 digest{};
    sha1_digest(&context, digest.size(), digest.data());
    return digest;
}

Md5 md5Of(std::span<const unsigned char> bytes)
{
    md5_ctx context;
    md5_init(&context);
    md5_update(&context, bytes.size(), bytes.data());
    Md5 digest{};
    md5_digest(&context, digest.size(), digest.data());
    return digest;
}

std::optional<Sha1> sha1OfHex(std::string_view text) { return digestOfHex<20>(text); }
std::optional<Md5> md5OfHex(std::string_view text) { return digestOfHex<16>(text); }

std::string sha1Hex(const Sha1& sha1)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (const std::uint8_t byte : sha1) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 15];
    }
    return text;
}

}  // namespace kl
