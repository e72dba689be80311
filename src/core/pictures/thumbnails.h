// A game's picture from the libretro thumbnail sets: the names a picture is filed under, the
// folders that hold the sets, which file is the game's, and where a set's server keeps it. Pure
// functions of names and folders; reading the picture is the window's.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "../rom/catalogue.h"

namespace kl {

inline constexpr std::string_view kThumbnailSystem = "Nintendo - Virtual Boy";
inline constexpr std::string_view kDefaultThumbnailServer = "https://thumbnails.libretro.com";
// Pictures larger than this, or wider or taller than kMaxPictureSide, are not shown.
inline constexpr std::size_t kMaxPictureBytes = 8u << 20;
inline constexpr int kMaxPictureSide = 4096;

// The sets' three kinds, as their folders are named.
enum class PictureKind { Boxart, Title, Snap };
std::string_view pictureKindFolder(PictureKind kind);  // "Named_Boxarts", "Named_Titles", "Named_Snaps"
std::optional<PictureKind> pictureKindOfFolder(std::string_view folder);
// The chosen kind first, then the others in the order box, title, screenshot.
std::vector<PictureKind> pictureKindsFor(PictureKind chosen);

// A name as the sets file it: each of & * / : ` " < > ? \ | becomes _.
std::string thumbnailFileName(std::string_view name);
// The names a game's picture is looked for under, in order, each once and as the sets file
// them: the given catalogue names (a patched game's own first, then its original's), the file's
// base name, and that cut before its first " (".
std::vector<std::string> pictureNames(const std::vector<std::string>& catalogueNames, std::string_view fileName);
// The catalogue names of the game at this path: the patched result's, where a patch beside it
// applies, then the image's own verified name.
std::vector<std::string> catalogueNamesOf(const std::string& romPath, const std::vector<Catalogue>& catalogues);

// Where the sets are looked for, in order: the user's folder (where one is given), RetroArch's
// ($XDG_CONFIG_HOME/retroarch/thumbnails, then Flatpak RetroArch's), and the launcher's cache
// ($XDG_CACHE_HOME/kalmora-launcher/thumbnails), which downloads fill. Variables that are
// empty or relative are taken as unset.
struct PictureSearch {
    std::string userFolder;
    std::string home;
    std::string xdgConfigHome;
    std::string xdgCacheHome;
};
std::vector<std::string> pictureFolders(const PictureSearch& search);
std::string pictureCacheFolder(const PictureSearch& search);
// <folder>/Nintendo - Virtual Boy/<kind>/<name>.png
std::string picturePath(std::string_view folder, PictureKind kind, std::string_view name);

// The first picture there is: kinds in the order pictureKindsFor gives, within a kind the names
// in order, within a name the folders in order. Nothing when none is a regular file.
std::optional<std::string> findPicture(const std::vector<std::string>& folders, const std::vector<std::string>& names,
                                       PictureKind chosen);

// The address of a picture on a set's server: <base>/Nintendo - Virtual Boy/<kind>/<name>.png,
// each part percent-encoded.
std::string pictureAddress(std::string_view base, PictureKind kind, std::string_view name);

// True when the bytes begin with PNG's signature.
bool hasPngSignature(std::string_view bytes);
// A PNG's width and height from its header; nothing when the header is not a PNG's.
std::optional<std::pair<long, long>> pngSize(std::string_view bytes);

}  // namespace kl
