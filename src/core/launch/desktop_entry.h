// A game of its own in the desktop's applications menu: a desktop entry that starts the ROM
// through this launcher's --run, as the Desktop Entry Specification spells it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kl {

// The applications folder entries are written to: $XDG_DATA_HOME/applications.
std::string applicationsFolder();
// The entry's file name for a ROM path: the desktop id's prefix and a stable hash of the path.
std::string gameEntryName(std::string_view romPath);
std::string gameEntryPath(std::string_view romPath);
bool hasGameEntry(std::string_view romPath);
// Where a game's entry keeps a copy of its picture as its icon:
// $XDG_DATA_HOME/icons/kalmora-launcher/<the entry's name>.png; it goes with the entry.
std::string gameIconPath(std::string_view romPath);

// One argument of an Exec key: quoted when it holds a reserved character, with the quote,
// backtick, dollar and backslash escaped inside the quotes, and % doubled.
std::string execArgument(std::string_view argument);
// A value escaped as the Desktop Entry Specification's string type: \\, \n, \t, \r.
std::string entryStringValue(std::string_view value);

// The entry's text; nothing when the launcher's or the ROM's path is not UTF-8, which a
// desktop entry cannot carry.
// The menu shows `title` where one is given (a verified game's catalogue name), else the file
// name without its extension.
std::optional<std::string> gameEntry(std::string_view launcherPath, std::string_view romPath, std::string_view icon,
                                     std::string_view title = {});

enum class EntryResult { Written, NotUtf8, Failed };
// Writes the entry atomically, making the applications folder where needed.
EntryResult writeGameEntry(std::string_view launcherPath, std::string_view romPath, std::string_view icon,
                           std::string_view title = {});
// True when the ROM has no entry afterwards.
bool removeGameEntry(std::string_view romPath);
// A ROM renamed through the launcher takes its entry along (new name, new path).
void moveGameEntry(std::string_view launcherPath, std::string_view oldPath, std::string_view newPath,
                   std::string_view icon, std::string_view title = {});

// The program an entry starts: an installed copy's link in <prefix>/bin, which stays valid
// across upgrades, else the executable in the program folder.
std::string launcherPath(std::string_view programFolder, bool installed);

}  // namespace kl
