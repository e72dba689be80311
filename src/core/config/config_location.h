// Where the two configuration files (and the games' own options) live: beside a portable
// program, or in the user's config folder for an installed copy.
#pragma once

#include <string>
#include <string_view>

namespace kl {

// Laid beside the executable by the install; its presence makes a copy an installed one.
inline constexpr std::string_view kInstallMarker = "installed-copy";
// Laid beside it in the self-contained folder too: there a Data folder the user makes turns the
// installed copy into a portable one, as for any program folder (an install under a prefix
// reads an older install's Data only until it saves).
inline constexpr std::string_view kSelfContainedMarker = "self-contained";
inline constexpr std::string_view kConfigFolderName = "kalmora-launcher";
inline constexpr std::string_view kSettingsName = "Settings.ini";
inline constexpr std::string_view kGuiName = "GUI.ini";

struct ConfigLocation {
    bool installed = false;
    // Where both files are saved: <program>/Data, or the user's kalmora-launcher folder.
    std::string folder;
    // An installed copy made before options moved to the user's folder kept them in
    // <program>/Data; they are read from there while the user's folder holds neither file.
    std::string legacyFolder;

    std::string settingsPath() const;
    std::string guiPath() const;
    // The files start-up reads: the saved ones, or an older install's.
    std::string settingsReadPath() const;
    std::string guiReadPath() const;
    // An installed copy creates its folder (mode 0700, with missing parents) before a save;
    // a portable copy never creates Data. False when the folder is not there afterwards.
    bool prepareForSave() const;

private:
    bool readsLegacy() const;
};

// The location for this program folder; the environment variables are passed in (null when
// unset) so that tests need not change the process's environment.
ConfigLocation configLocation(const std::string& programFolder, const char* xdgConfigHome, const char* home);
// The same from the process's environment (and the password database when HOME is unset).
ConfigLocation configLocation(const std::string& programFolder);

// The user's home folder: HOME when it is absolute, else the password database's.
std::string homeFolder();
// An XDG base folder: the variable when it holds an absolute path, else the fallback below
// the home folder (".local/share"); no trailing separator.
std::string xdgFolder(const char* variable, std::string_view fallbackBelowHome);
// Where what the launcher remembers between runs lives (the recent games): beside the options
// in Data for a portable copy, $XDG_STATE_HOME/kalmora-launcher for an installed one.
std::string stateFolder(const ConfigLocation& location);
// $XDG_STATE_HOME/kalmora-launcher, whichever the copy.
std::string userStateFolder();

// Creates a folder and its missing parents with the given mode; true when it is a folder afterwards.
bool makeFolders(const std::string& path, unsigned mode);

}  // namespace kl
