// The portable and installed locations of the configuration files.
#include "config_location.h"

#include <cerrno>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "../file_kind.h"
#include "../paths.h"

namespace kl {

namespace {

bool exists(const std::string& path) { return fileStatus(path, Links::Keep).kind != FileKind::Missing; }

// An XDG base folder from the variable's value: the XDG rules ignore a relative value, and the
// default below the home folder then applies.
std::string xdgBase(const char* value, std::string_view home, std::string_view fallbackBelowHome)
{
    std::string base = value && value[0] == '/' ? std::string(value) : joinAlways(home, fallbackBelowHome, kNativeStyle);
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    return base;
}

}  // namespace

std::string ConfigLocation::settingsPath() const { return joinAlways(folder, kSettingsName, kNativeStyle); }
std::string ConfigLocation::guiPath() const { return joinAlways(folder, kGuiName, kNativeStyle); }

bool ConfigLocation::readsLegacy() const
{
    return installed && !legacyFolder.empty() && !exists(settingsPath()) && !exists(guiPath())
           && (exists(joinAlways(legacyFolder, kSettingsName, kNativeStyle))
               || exists(joinAlways(legacyFolder, kGuiName, kNativeStyle)));
}

std::string ConfigLocation::settingsReadPath() const
{
    return readsLegacy() ? joinAlways(legacyFolder, kSettingsName, kNativeStyle) : settingsPath();
}

std::string ConfigLocation::guiReadPath() const
{
    return readsLegacy() ? joinAlways(legacyFolder, kGuiName, kNativeStyle) : guiPath();
}

bool ConfigLocation::prepareForSave() const
{
    if (!installed)
        return true;  // a portable copy's save reports a missing Data itself
    return makeFolders(folder, 0700);
}

bool makeFolders(const std::string& path, unsigned mode)
{
    if (const FileKind kind = fileKind(path); kind != FileKind::Missing)
        return kind == FileKind::Folder;
    if (path.empty())
        return false;
    const PathParts parts = splitPath(path);
    if (parts.folder != "." && parts.folder != "/" && !makeFolders(parts.folder, mode))
        return false;
    if (::mkdir(path.c_str(), static_cast<mode_t>(mode)) != 0 && errno != EEXIST)
        return false;
    return fileKind(path) == FileKind::Folder;
}

ConfigLocation configLocation(const std::string& programFolder, const char* xdgConfigHome, const char* home)
{
    ConfigLocation location;
    const std::string data = joinAlways(programFolder, "Data", kNativeStyle);
    location.installed = fileKind(joinAlways(programFolder, kInstallMarker, kNativeStyle)) == FileKind::Regular
                         && !(fileKind(joinAlways(programFolder, kSelfContainedMarker, kNativeStyle)) == FileKind::Regular
                              && fileKind(data) == FileKind::Folder);
    if (!location.installed) {
        location.folder = data;
        return location;
    }
    location.legacyFolder = data;
    location.folder = joinAlways(xdgBase(xdgConfigHome, home ? home : "", ".config"), kConfigFolderName, kNativeStyle);
    return location;
}

std::string homeFolder()
{
    if (const char* home = std::getenv("HOME"); home && home[0] == '/')
        return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    return {};
}

ConfigLocation configLocation(const std::string& programFolder)
{
    return configLocation(programFolder, std::getenv("XDG_CONFIG_HOME"), homeFolder().c_str());
}

std::string xdgFolder(const char* variable, std::string_view fallbackBelowHome)
{
    return xdgBase(std::getenv(variable), homeFolder(), fallbackBelowHome);
}

std::string userStateFolder()
{
    return joinAlways(xdgFolder("XDG_STATE_HOME", ".local/state"), kConfigFolderName, kNativeStyle);
}

std::string stateFolder(const ConfigLocation& location) { return location.installed ? userStateFolder() : location.folder; }

}  // namespace kl
