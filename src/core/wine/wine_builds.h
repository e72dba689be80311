// The Wine and Proton builds that Steam, Lutris, Bottles and Heroic keep for the user, found
// by reading folders only (nothing is started), for a Windows emulator where no wine is
// installed: a pure function from a home folder and the XDG variables to a list, newest first
// within each tool, the tools in the order a start prefers them.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kl {

// A Wine build starts programs as wine does; a Proton build through its proton script's "run".
enum class WineKind { Wine, Proton };
// In the order an automatic choice prefers them.
enum class WineSource { SteamLibrary, SteamTools, Lutris, Bottles, Heroic };

struct WineBuild {
    std::string name;       // the folder's name with where it came from: "GE-Proton9-20 (Steam)"
    std::string folder;     // the build's folder, its real path
    std::string program;    // its bin/wine, or its proton script
    WineKind kind = WineKind::Wine;
    WineSource source = WineSource::SteamLibrary;
    std::string steamRoot;  // the real path of the Steam root a Steam build was found in
    bool operator==(const WineBuild&) const = default;
};

struct WineSearch {
    std::string home;
    std::string xdgDataHome;    // the variables as set (a relative or empty one is ignored)
    std::string xdgConfigHome;
};

// Every build found, each folder once under its real path, newest first within a tool: the
// first is the one a start takes when nothing else names a Wine. Folders that cannot be read,
// broken links and folders that are no build are passed over.
std::vector<WineBuild> findWineBuilds(const WineSearch& search);

// The numbers in a build's name before an architecture suffix ("lutris-7.2-2-x86_64": 7 2 2).
std::vector<long> versionNumbers(std::string_view name);
// True when build name a is of a higher version than b: compared number by number; a name
// with no number ("Proton - Experimental") after every numbered one.
bool higherVersion(std::string_view a, std::string_view b);

// A Proton build's files/bin/wine, else its dist/bin/wine (older builds); nothing when neither.
std::optional<std::string> protonWine(const std::string& folder);
// The Wine version a Proton build holds, as wine --version words it ("wine-9.0"), read from its
// version file ("<time> <tag>": proton-9.0-3 and GE-Proton9-20 hold Wine 9.0, GE-Proton10-4
// Wine 10.0); nothing when the tag names none.
std::optional<std::string> protonWineVersion(std::string_view versionFile);

}  // namespace kl
