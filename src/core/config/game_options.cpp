// Reading, writing, moving and forgetting the files of games' own options.
#include "game_options.h"

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

#include "../paths.h"
#include "settings_file.h"
#include "text_file.h"

namespace kl {

namespace {

constexpr std::size_t kMaxFileName = 255;  // NAME_MAX of Linux file systems
constexpr std::string_view kGameFileSuffix = ".ini";

std::string gamesFolder(const ConfigLocation& location)
{
    return joinAlways(location.folder, kGamesFolderName, kNativeStyle);
}

}  // namespace

std::optional<std::string> gameOptionsPath(const ConfigLocation& location, std::string_view romName)
{
    if (romName.empty() || romName.find('/') != std::string_view::npos || romName.find('\0') != std::string_view::npos
        || romName.size() + kGameFileSuffix.size() > kMaxFileName)
        return std::nullopt;
    return joinAlways(gamesFolder(location), std::string(romName) + std::string(kGameFileSuffix), kNativeStyle);
}

std::string formatGameFile(const EmulatorSettings& options) { return formatSettingsLines(options, kFirstGameLine); }

std::optional<EmulatorSettings> loadGameOptions(const std::string& path, const EmulatorSettings& window)
{
    LineReader reader(path);
    if (!reader.isOpen())
        return std::nullopt;
    EmulatorSettings options;
    options.setText(Field::txtEmuPath, window.text(Field::txtEmuPath));
    options.setText(Field::txtRomPath, window.text(Field::txtRomPath));
    for (int i = kFirstGameLine; i < kSettingsLineCount; ++i) {
        const auto line = reader.next(kMaxSettingsLine);
        if (!line || !applySettingsLine(options, fieldTable()[static_cast<std::size_t>(i)].field, *line))
            return std::nullopt;
    }
    return options;
}

KeepResult saveGameOptions(const ConfigLocation& location, std::string_view romName, const EmulatorSettings& options)
{
    const auto path = gameOptionsPath(location, romName);
    if (!path)
        return KeepResult::NameUnusable;
    // Only Games itself is made: an installed copy's own folder is made first, while a
    // portable copy's Data is the user's to make.
    const std::string games = gamesFolder(location);
    if (!location.prepareForSave())
        return KeepResult::Failed;
    if (::mkdir(games.c_str(), location.installed ? 0700 : 0777) != 0 && errno != EEXIST)
        return KeepResult::Failed;
    return writeFileAtomically(*path, formatGameFile(options)) ? KeepResult::Kept : KeepResult::Failed;
}

bool forgetGameOptions(const ConfigLocation& location, std::string_view romName)
{
    const auto path = gameOptionsPath(location, romName);
    return !path || ::unlink(path->c_str()) == 0 || errno == ENOENT;
}

void moveGameOptions(const ConfigLocation& location, std::string_view oldName, std::string_view newName)
{
    const auto from = gameOptionsPath(location, oldName);
    const auto to = gameOptionsPath(location, newName);
    if (from && to && ::access(from->c_str(), F_OK) == 0)
        std::rename(from->c_str(), to->c_str());
}

EmulatorSettings optionsForGame(const ConfigLocation& location, std::string_view romName)
{
    EmulatorSettings window;
    loadSettingsFile(location.settingsReadPath(), window);
    if (const auto path = gameOptionsPath(location, romName))
        if (auto own = loadGameOptions(*path, window))
            return *own;
    return window;
}

}  // namespace kl
