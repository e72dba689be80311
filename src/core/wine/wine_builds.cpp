// Finding the Wine and Proton builds of Steam, Lutris, Bottles and Heroic.
#include "wine_builds.h"

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <set>

#include "../config/text_file.h"
#include "../file_kind.h"
#include "../paths.h"
#include "key_values.h"

namespace kl {

namespace {

std::string join(std::string_view folder, std::string_view name) { return joinAlways(folder, name, kNativeStyle); }

// The names in a folder, sorted; none when it cannot be read.
std::vector<std::string> namesIn(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string_view name = entry->d_name;
            if (name != "." && name != "..")
                names.emplace_back(name);
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string xdgBase(const std::string& value, const std::string& home, std::string_view fallback)
{
    return !value.empty() && value.front() == '/' ? value : join(home, fallback);
}

const char* sourceName(WineSource source)
{
    switch (source) {
    case WineSource::SteamLibrary:
    case WineSource::SteamTools: return "Steam";
    case WineSource::Lutris: return "Lutris";
    case WineSource::Bottles: return "Bottles";
    case WineSource::Heroic: return "Heroic";
    }
    return "";
}

bool isProtonFolder(const std::string& folder)
{
    return isExecutableFile(join(folder, "proton")) && protonWine(folder).has_value();
}

class Finder {
public:
    explicit Finder(const WineSearch& search)
        : m_home(search.home),
          m_data(xdgBase(search.xdgDataHome, search.home, ".local/share")),
          m_config(xdgBase(search.xdgConfigHome, search.home, ".config"))
    {
    }

    std::vector<WineBuild> find()
    {
        if (m_home.empty() || m_home.front() != '/')
            return {};
        steam();
        const std::string flatpak = join(m_home, ".var/app");
        runners(join(m_data, "lutris/runners/wine"), WineSource::Lutris, false);
        runners(join(flatpak, "net.lutris.Lutris/data/lutris/runners/wine"), WineSource::Lutris, true);
        runners(join(m_data, "bottles/runners"), WineSource::Bottles, false);
        runners(join(flatpak, "com.usebottles.bottles/data/bottles/runners"), WineSource::Bottles, true);
        heroic(join(m_config, "heroic/tools"), false);
        heroic(join(flatpak, "com.heroicgameslauncher.hgl/config/heroic/tools"), true);
        std::stable_sort(m_found.begin(), m_found.end(), [](const WineBuild& a, const WineBuild& b) {
            if (a.source != b.source)
                return a.source < b.source;
            const std::string nameA = a.name.substr(0, a.name.rfind(" (")), nameB = b.name.substr(0, b.name.rfind(" ("));
            if (higherVersion(nameA, nameB) || higherVersion(nameB, nameA))
                return higherVersion(nameA, nameB);
            return a.name < b.name;
        });
        return std::move(m_found);
    }

private:
    void steam()
    {
        const std::string flatpak = join(m_home, ".var/app/com.valvesoftware.Steam");
        const std::pair<std::string, bool> roots[] = {
            {join(m_home, ".steam/steam"), false},
            {join(m_home, ".steam/root"), false},
            {join(m_data, "Steam"), false},
            {join(flatpak, ".local/share/Steam"), true},
            {join(flatpak, "data/Steam"), true},
        };
        std::set<std::string> seenRoots, seenLibraries;
        for (const auto& [path, isFlatpak] : roots) {
            const std::string root = realPath(path);
            if (root.empty() || fileKind(root) != FileKind::Folder || !seenRoots.insert(root).second)
                continue;
            std::vector<std::string> libraries{root};
            if (const auto text = readWholeFile(join(root, "steamapps/libraryfolders.vdf"), kMaxKeyValuesSize))
                for (std::string& library : steamLibraryFolders(*text))
                    libraries.push_back(std::move(library));
            for (const std::string& library : libraries) {
                const std::string real = realPath(library);
                if (!real.empty() && seenLibraries.insert(real).second)
                    builds(join(real, "steamapps/common"), WineSource::SteamLibrary, isFlatpak, root);
            }
            builds(join(root, "compatibilitytools.d"), WineSource::SteamTools, isFlatpak, root);
        }
    }

    // Proton builds, one a folder.
    void builds(const std::string& folder, WineSource source, bool isFlatpak, const std::string& steamRoot = {})
    {
        for (const std::string& name : namesIn(folder)) {
            const std::string path = join(folder, name);
            if (isProtonFolder(path))
                add(name, path, "proton", WineKind::Proton, source, isFlatpak, steamRoot);
        }
    }

    // Wine builds, one a folder, each with bin/wine.
    void runners(const std::string& folder, WineSource source, bool isFlatpak)
    {
        for (const std::string& name : namesIn(folder))
            add(name, join(folder, name), "bin/wine", WineKind::Wine, source, isFlatpak);
    }

    void heroic(const std::string& tools, bool isFlatpak)
    {
        runners(join(tools, "wine"), WineSource::Heroic, isFlatpak);
        const std::string proton = join(tools, "proton");
        for (const std::string& name : namesIn(proton))
            add(name, join(proton, name), "proton", WineKind::Proton, WineSource::Heroic, isFlatpak);
    }

    void add(const std::string& name, const std::string& path, std::string_view program, WineKind kind,
             WineSource source, bool isFlatpak, const std::string& steamRoot = {})
    {
        const std::string folder = realPath(path);
        if (folder.empty() || !isExecutableFile(join(folder, program)) || !m_folders.insert(folder).second)
            return;
        WineBuild build;
        build.name = name + " (" + sourceName(source) + (isFlatpak ? " Flatpak)" : ")");
        build.folder = folder;
        build.program = join(folder, program);
        build.kind = kind;
        build.source = source;
        build.steamRoot = steamRoot;
        m_found.push_back(std::move(build));
    }

    std::string m_home, m_data, m_config;
    std::set<std::string> m_folders;
    std::vector<WineBuild> m_found;
};

bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::vector<WineBuild> findWineBuilds(const WineSearch& search) { return Finder(search).find(); }

std::vector<long> versionNumbers(std::string_view name)
{
    for (const std::string_view architecture : {"x86_64", "x86-64", "amd64", "i386", "i686", "aarch64", "arm64"})
        if (const std::size_t at = name.find(architecture); at != std::string_view::npos)
            name = name.substr(0, at);
    std::vector<long> numbers;
    for (std::size_t i = 0; i < name.size();) {
        if (!isDigit(name[i])) {
            ++i;
            continue;
        }
        long value = 0;
        for (; i < name.size() && isDigit(name[i]); ++i)
            value = std::min(value * 10 + (name[i] - '0'), 1'000'000'000L);
        numbers.push_back(value);
    }
    return numbers;
}

bool higherVersion(std::string_view a, std::string_view b)
{
    const std::vector<long> x = versionNumbers(a), y = versionNumbers(b);
    if (x.empty() != y.empty())
        return y.empty();
    return std::lexicographical_compare(y.begin(), y.end(), x.begin(), x.end());
}

std::optional<std::string> protonWine(const std::string& folder)
{
    for (const char* wine : {"files/bin/wine", "dist/bin/wine"})
        if (isExecutableFile(join(folder, wine)))
            return join(folder, wine);
    return std::nullopt;
}

std::optional<std::string> protonWineVersion(std::string_view versionFile)
{
    std::string tag(versionFile.substr(0, 256));
    for (char& c : tag)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    std::size_t at = std::string::npos;
    for (const std::string_view word : {"proton", "experimental"})
        if (const std::size_t found = tag.find(word); found != std::string::npos) {
            at = found + word.size();
            break;
        }
    if (at == std::string::npos)
        return std::nullopt;
    if (at < tag.size() && tag[at] == '-')
        ++at;
    std::string major, minor = "0";
    while (at < tag.size() && isDigit(tag[at]) && major.size() < 4)
        major += tag[at++];
    if (major.empty())
        return std::nullopt;
    if (at + 1 < tag.size() && tag[at] == '.' && isDigit(tag[at + 1])) {
        minor.clear();
        for (++at; at < tag.size() && isDigit(tag[at]) && minor.size() < 4; ++at)
            minor += tag[at];
    }
    return "wine-" + major + '.' + minor;
}

}  // namespace kl
