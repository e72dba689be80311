// Pictures.ini beside the options: whether the window shows a game's picture, which kind, the
// user's folder of the sets, and downloading. Never in Settings.ini or GUI.ini.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "../config/config_location.h"
#include "thumbnails.h"

namespace kl {

inline constexpr std::string_view kPicturesName = "Pictures.ini";

struct PictureSettings {
    bool show = false;
    PictureKind kind = PictureKind::Boxart;
    std::string folder;      // empty: none
    bool download = false;   // off: it reaches the network
    std::string base{kDefaultThumbnailServer};
    bool operator==(const PictureSettings&) const = default;
};

// One section [Pictures] with the keys Show, Kind, Folder, Download and Base; a missing key,
// and a value that makes no sense, give the default.
PictureSettings parsePictureSettings(std::string_view text);
std::string formatPictureSettings(const PictureSettings& settings);

std::string pictureSettingsPath(const ConfigLocation& location);
// Nothing where the file exists but cannot be read: it is then left as it is.
std::optional<PictureSettings> loadPictureSettings(const ConfigLocation& location);
bool savePictureSettings(const ConfigLocation& location, const PictureSettings& settings);

}  // namespace kl
