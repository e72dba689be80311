// The ROM catalogues of the preservation groups: No-Intro's DAT files (Logiqx XML and the
// older clrmamepro text) and MAME's software list, and what they say of one image.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "../config/config_location.h"

namespace kl {

using Sha1 = std::array<std::uint8_t, 20>;
Sha1 sha1Of(std::span<const unsigned char> bytes);
// 40 hexadecimal digits, in either case; nothing for any other text.
std::optional<Sha1> sha1OfHex(std::string_view text);
// 40 lower-case hexadecimal digits.
std::string sha1Hex(const Sha1& sha1);

using Md5 = std::array<std::uint8_t, 16>;
Md5 md5Of(std::span<const unsigned char> bytes);
// 32 hexadecimal digits, in either case; nothing for any other text.
std::optional<Md5> md5OfHex(std::string_view text);

struct CatalogueEntry {
    std::string name;  // the game's name, "3-D Tetris (USA)"
    std::uint64_t size = 0;
    std::uint32_t crc = 0;
    std::optional<Sha1> sha1;
    std::string serial;
    // RetroAchievements' DATs of translations and hacks give only an MD5 (no size, no CRC-32):
    // such an entry names an image by its MD5 alone.
    std::optional<Md5> md5;
};

struct Catalogue {
    std::string file;     // where it was read
    std::string name;     // its own name: the DAT header's name and version, or the list's description
    std::string problem;  // why it was skipped; empty when it counts
    std::vector<CatalogueEntry> entries;
};

// Larger files are not catalogues of a 14-cartridge system; they are skipped unread.
inline constexpr std::uint64_t kMaxCatalogueBytes = 32 * 1024 * 1024;
inline constexpr std::size_t kMaxCatalogueEntries = 100000;
inline constexpr std::string_view kMameSoftwareList = "/usr/share/games/mame/hash/vboy.xml";

// One catalogue from its bytes, in whichever of the three forms it is. No DTD is loaded, no
// entity declared in the file is accepted, and nesting is bounded: such files are skipped.
Catalogue parseCatalogue(std::string_view bytes, std::string file = {});
Catalogue loadCatalogue(const std::string& path);

// Where a copy looks for catalogues: Data/Catalogues, or the user's data folder's
// kalmora-launcher/catalogues. Never created by the program.
std::string catalogueFolder(const ConfigLocation& location);

// Every catalogue of the folder (in name order) and the software list when it exists; read
// again only when a file of them changed.
class CatalogueSet {
public:
    const std::vector<Catalogue>& catalogues(const std::string& folder, const std::string& softwareList);

private:
    std::string m_stamp;
    std::vector<Catalogue> m_catalogues;
};

enum class Identity { Verified, ShaDiffers, Overdump, HeaderDiffers, Unknown, NoCatalogue };
struct Identification {
    Identity identity = Identity::NoCatalogue;
    std::string name;       // the game, where one is named
    std::string catalogue;  // the catalogue that names it
};
// What the catalogues say of an image whose footer carries this game code. An entry counts
// as the image's only when size, CRC-32 and SHA-1 (where the catalogue has one) all match;
// one whose size and CRC-32 alone match is named with ShaDiffers.
Identification identify(const std::vector<Catalogue>& catalogues, std::span<const unsigned char> image,
                        std::string_view gameCode);
// The game the catalogues name for an image when it is verified, against the game code of its
// own header; nothing otherwise.
std::optional<std::string> verifiedName(const std::vector<Catalogue>& catalogues, std::span<const unsigned char> image);
// The outcome as the Properties window words it.
std::string identificationText(const Identification& identification, std::string_view folder);

}  // namespace kl
