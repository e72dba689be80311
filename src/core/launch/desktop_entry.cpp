// Writing and removing the desktop entries of single games.
#include "desktop_entry.h"

#include <cerrno>
#include <cstdio>
#include <unistd.h>

#include "../config/config_location.h"
#include "../config/text_file.h"
#include "../file_kind.h"
#include "../paths.h"
#include "../utf8.h"

namespace kl {

namespace {

constexpr std::string_view kEntryPrefix = "org.example.kalmora_launcher.game-";
constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";

}  // namespace

std::string applicationsFolder() { return joinAlways(xdgFolder("XDG_DATA_HOME", ".local/share"), "applications", kNativeStyle); }

std::string gameEntryName(std::string_view romPath)
{
    std::uint64_t hash = 1469598103934665603ull;  // FNV-1a: the same path gives the same entry in every run
    for (const unsigned char c : romPath) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    char id[17];
    std::snprintf(id, sizeof id, "%016llx", static_cast<unsigned long long>(hash));
    return std::string(kEntryPrefix) + id + ".desktop";
}

std::string gameEntryPath(std::string_view romPath)
{
    return joinAlways(applicationsFolder(), gameEntryName(romPath), kNativeStyle);
}

bool hasGameEntry(std::string_view romPath) { return fileKind(gameEntryPath(romPath)) == FileKind::Regular; }

std::string execArgument(std::string_view argument)
{
    std::string word;
    const bool quoted = argument.empty() || argument.find_first_of(kReserved) != std::string_view::npos;
    for (const char c : argument) {
        if (c == '%')
            word += "%%";
        else if (quoted && (c == '"' || c == '`' || c == '$' || c == '\\'))
            word += {'\\', c};
        else
            word += c;
    }
    return quoted ? '"' + word + '"' : word;
}

std::string entryStringValue(std::string_view value)
{
    std::string escaped;
    for (const char c : value) {
        switch (c) {
        case '\\': escaped += "\\\\"; break;
        case '\n': escaped += "\\n"; break;
        case '\t': escaped += "\\t"; break;
        case '\r': escaped += "\\r"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

std::optional<std::string> gameEntry(std::string_view launcherPath, std::string_view romPath, std::string_view icon,
                                     std::string_view title)
{
    if (!isUtf8(launcherPath) || !isUtf8(romPath) || !isUtf8(title))
        return std::nullopt;
    std::string name(title);
    if (name.empty()) {
        name = splitPath(romPath).name;
        if (const std::size_t dot = name.find_last_of('.'); dot != std::string::npos && dot > 0)
            name.resize(dot);
    }
    const std::string exec = execArgument(launcherPath) + " --run " + execArgument(romPath);
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=" + entryStringValue(name) + "\n"
           "Comment=Virtual Boy game, started by Kalmora Launcher\n"
           "Icon=" + entryStringValue(icon) + "\n"
           "Categories=Game;\n"
           "Exec=" + entryStringValue(exec) + "\n";
}

EntryResult writeGameEntry(std::string_view launcherPath, std::string_view romPath, std::string_view icon,
                           std::string_view title)
{
    const auto entry = gameEntry(launcherPath, romPath, icon, title);
    if (!entry)
        return EntryResult::NotUtf8;
    if (!makeFolders(applicationsFolder(), 0755))
        return EntryResult::Failed;
    return writeFileAtomically(gameEntryPath(romPath), *entry) ? EntryResult::Written : EntryResult::Failed;
}

bool removeGameEntry(std::string_view romPath)
{
    ::unlink(gameIconPath(romPath).c_str());
    return ::unlink(gameEntryPath(romPath).c_str()) == 0 || errno == ENOENT;
}

std::string gameIconPath(std::string_view romPath)
{
    std::string name = gameEntryName(romPath);
    name.replace(name.size() - std::string_view(".desktop").size(), std::string_view::npos, ".png");
    return joinAlways(joinAlways(xdgFolder("XDG_DATA_HOME", ".local/share"), "icons/kalmora-launcher", kNativeStyle),
                      name, kNativeStyle);
}

void moveGameEntry(std::string_view launcherPath, std::string_view oldPath, std::string_view newPath,
                   std::string_view icon, std::string_view title)
{
    if (oldPath == newPath || !hasGameEntry(oldPath))
        return;
    if (writeGameEntry(launcherPath, newPath, icon, title) == EntryResult::Written)
        removeGameEntry(oldPath);
}

std::string launcherPath(std::string_view programFolder, bool installed)
{
    constexpr std::string_view kProgram = "kalmora-launcher";
    constexpr std::string_view kInstalledFolder = "/lib/kalmora-launcher";
    if (installed && programFolder.ends_with(kInstalledFolder)) {
        const std::string prefix(programFolder.substr(0, programFolder.size() - kInstalledFolder.size()));
        const std::string link = joinAlways(joinAlways(prefix, "bin", kNativeStyle), kProgram, kNativeStyle);
        if (isExecutableFile(link))
            return link;
    }
    return joinAlways(programFolder, kProgram, kNativeStyle);
}

}  // namespace kl
