// Reading and writing Pictures.ini.
#include "picture_settings.h"

#include "../config/text_file.h"
#include "../file_kind.h"
#include "../paths.h"

namespace kl {

namespace {

constexpr std::size_t kMaxFileSize = 64 * 1024;

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

std::optional<bool> truth(std::string_view value)
{
    if (value == "true")
        return true;
    if (value == "false")
        return false;
    return std::nullopt;
}

bool isWebAddress(std::string_view value)
{
    const bool scheme = value.starts_with("http://") || value.starts_with("https://");
    return scheme && value.size() > value.find("//") + 2
           && value.find_first_of(" \t\r\n") == std::string_view::npos;
}

}  // namespace

PictureSettings parsePictureSettings(std::string_view text)
{
    PictureSettings settings;
    bool inSection = false;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = trimmed(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.starts_with('[')) {
            inSection = line == "[Pictures]";
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!inSection || equals == std::string_view::npos)
            continue;
        const std::string_view key = trimmed(line.substr(0, equals)), value = trimmed(line.substr(equals + 1));
        if (key == "Show")
            settings.show = truth(value).value_or(false);
        else if (key == "Download")
            settings.download = truth(value).value_or(false);
        else if (key == "Kind")
            settings.kind = pictureKindOfFolder(value).value_or(PictureKind::Boxart);
        else if (key == "Folder")
            settings.folder = !value.empty() && value.front() == '/' ? std::string(value) : std::string();
        else if (key == "Base")
            settings.base = isWebAddress(value) ? std::string(value) : std::string(kDefaultThumbnailServer);
    }
    return settings;
}

std::string formatPictureSettings(const PictureSettings& settings)
{
    const auto yes = [](bool value) { return value ? "true" : "false"; };
    return "[Pictures]\n"
           "Show=" + std::string(yes(settings.show)) + "\n"
           "Kind=" + std::string(pictureKindFolder(settings.kind)) + "\n"
           "Folder=" + settings.folder + "\n"
           "Download=" + std::string(yes(settings.download)) + "\n"
           "Base=" + settings.base + "\n";
}

std::string pictureSettingsPath(const ConfigLocation& location)
{
    return joinAlways(location.folder, kPicturesName, kNativeStyle);
}

std::optional<PictureSettings> loadPictureSettings(const ConfigLocation& location)
{
    const std::string path = pictureSettingsPath(location);
    if (fileStatus(path, Links::Keep).kind == FileKind::Missing)
        return PictureSettings{};
    const auto text = readWholeFile(path, kMaxFileSize);
    if (!text)
        return std::nullopt;
    return parsePictureSettings(*text);
}

bool savePictureSettings(const ConfigLocation& location, const PictureSettings& settings)
{
    // A folder or a value holding a line break would read back as another key.
    if (settings.folder.find_first_of("\r\n") != std::string::npos || !isWebAddress(settings.base))
        return false;
    return location.prepareForSave() && writeFileAtomically(followLinks(pictureSettingsPath(location)), formatPictureSettings(settings));
}

}  // namespace kl
