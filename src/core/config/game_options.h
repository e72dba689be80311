// A game's own options: every option field of the record (never the two paths), kept in
// Games/<ROM file name>.ini beside Settings.ini, in the form of its lines 3 to 30.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "../launch/emulator_settings.h"
#include "config_location.h"

namespace kl {

inline constexpr std::string_view kGamesFolderName = "Games";
// The first line of Settings.ini (0-based) a game file holds: the paths are the window's.
inline constexpr int kFirstGameLine = 2;

// Where a game's options live; nothing for a name that cannot be a file name there (empty,
// with a separator, or too long once ".ini" is added).
std::optional<std::string> gameOptionsPath(const ConfigLocation& location, std::string_view romName);

std::string formatGameFile(const EmulatorSettings& options);

// The game's options with the paths of `window`; nothing when the file is missing, cannot be
// read, is short or holds a bad value (the window's options then apply).
std::optional<EmulatorSettings> loadGameOptions(const std::string& path, const EmulatorSettings& window);

enum class KeepResult { Kept, NameUnusable, Failed };
// Writes the game's file atomically, making the Games folder first where needed (a portable
// copy's Data is never made).
KeepResult saveGameOptions(const ConfigLocation& location, std::string_view romName, const EmulatorSettings& options);
// True when the game has no file of its own afterwards.
bool forgetGameOptions(const ConfigLocation& location, std::string_view romName);
// A ROM renamed through the launcher takes its options along; a file of the new name that a
// game deleted elsewhere left behind gives way to them.
void moveGameOptions(const ConfigLocation& location, std::string_view oldName, std::string_view newName);

// What a start from outside the window uses: the game's own options where it has them, the
// saved window options otherwise; the paths are always the saved ones.
EmulatorSettings optionsForGame(const ConfigLocation& location, std::string_view romName);

}  // namespace kl
