// Writing and removing the launcher's desktop files for the current user.
#include "desktop_install.h"

#include <QFile>

#include <cerrno>
#include <filesystem>
#include <string_view>
#include <unistd.h>

#include "bytes.h"
#include "config/config_location.h"
#include "config/text_file.h"
#include "file_kind.h"
#include "launch/desktop_entry.h"
#include "launch/launcher.h"
#include "launch/process.h"
#include "paths.h"
#include "utf8.h"

namespace {

constexpr std::string_view kAppId = "org.example.kalmora_launcher";

struct DesktopFile {
    const char* resource;  // below :/desktop/
    std::string folder;    // below the data folder
    std::string name;
};

std::string dataHome() { return kl::xdgFolder("XDG_DATA_HOME", ".local/share"); }

std::vector<DesktopFile> desktopFiles()
{
    const std::string id(kAppId);
    return {
        {"entry.desktop.in", "applications", id + ".desktop"},
        {"icon.svg", "icons/hicolor/scalable/apps", id + ".svg"},
        {"icon-16.png", "icons/hicolor/16x16/apps", id + ".png"},
        {"icon-32.png", "icons/hicolor/32x32/apps", id + ".png"},
        {"icon-64.png", "icons/hicolor/64x64/apps", id + ".png"},
        {"mime.xml", "mime/packages", id + ".xml"},
        {"metainfo.xml", "metainfo", id + ".metainfo.xml"},
    };
}

std::string below(const std::string& base, const std::string& folder)
{
    return kl::joinAlways(base, folder, kl::kNativeStyle);
}

std::string resourceBytes(const char* name)
{
    QFile file(QStringLiteral(":/desktop/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

void replaceAll(std::string& text, std::string_view what, std::string_view with)
{
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
}

// The desktop's caches of entries and file types, where their tools are installed. The icon
// theme needs none: a user's icon folder has no cache, and one made here would hide the icons
// added later (the games' entries) until it was made again.
void refreshCaches(const std::string& base)
{
    const std::string path = kl::currentStartEnvironment().path;
    const auto refresh = [&](std::string_view tool, std::vector<std::string> arguments) {
        if (const auto program = kl::findOnPath(tool, path))
            kl::runQuietly({*program, std::move(arguments), "/", {}});
    };
    if (kl::fileKind(below(base, "applications")) == kl::FileKind::Folder)
        refresh("update-desktop-database", {"-q", below(base, "applications")});
    if (kl::fileKind(below(base, "mime/packages")) == kl::FileKind::Folder)
        refresh("update-mime-database", {below(base, "mime")});
}

bool isEmptyFolder(const std::string& path)
{
    std::error_code error;
    return std::filesystem::is_empty(path, error) && !error;
}

// A folder that the files' removal left empty goes too, up to the data folder, so removal
// leaves nothing that installing made; one that holds anything else stays.
void removeEmptyFolders(const std::string& base, std::string folder)
{
    while (!folder.empty()) {
        const std::string path = below(base, folder);
        if (!isEmptyFolder(path) || ::rmdir(path.c_str()) != 0)
            return;
        const std::size_t slash = folder.find_last_of('/');
        folder = slash == std::string::npos ? std::string() : folder.substr(0, slash);
    }
}

int failure(const std::string& what)
{
    printErrorLine(what);
    return 1;
}

}  // namespace

int installDesktopEntry(const std::string& programFolder)
{
    // The resources live in a static library, which the linker leaves out unless they are named.
    Q_INIT_RESOURCE(desktop_files);
    const std::string base = dataHome();
    const std::string program = kl::launcherPath(programFolder, kl::configLocation(programFolder).installed);
    if (!kl::isUtf8(program))
        return failure("the program's path \"" + program + "\" is not UTF-8, which a desktop entry cannot hold.");
    for (const DesktopFile& file : desktopFiles()) {
        std::string bytes = resourceBytes(file.resource);
        if (std::string_view(file.resource) == "entry.desktop.in") {
            replaceAll(bytes, "@KL_APP_ID@", kAppId);
            replaceAll(bytes, "@EXEC@", kl::entryStringValue(kl::execArgument(program)));
        }
        const std::string folder = below(base, file.folder);
        const std::string path = below(folder, file.name);
        if (bytes.empty() || !kl::makeFolders(folder, 0755) || !kl::writeFileAtomically(path, bytes))
            return failure("\"" + path + "\" could not be written.");
    }
    refreshCaches(base);
    std::printf("%s\n", below(below(base, "applications"), std::string(kAppId) + ".desktop").c_str());
    return 0;
}

int removeDesktopEntry()
{
    const std::string base = dataHome();
    int status = 0;
    bool typeRemoved = false;
    for (const DesktopFile& file : desktopFiles()) {
        const std::string path = below(below(base, file.folder), file.name);
        if (::unlink(path.c_str()) == 0)
            typeRemoved = typeRemoved || file.folder == "mime/packages";
        else if (errno != ENOENT)
            status = failure("\"" + path + "\" could not be removed.");
    }
    refreshCaches(base);
    // The database update-mime-database made from the one type there was is all generated: with
    // no type left to define it goes, as the entries' cache does once no entry is left beside it.
    if (typeRemoved && isEmptyFolder(below(base, "mime/packages"))) {
        std::error_code error;
        std::filesystem::remove_all(below(base, "mime"), error);
    }
    const std::string applications = below(base, "applications");
    if (std::filesystem::path only = below(applications, "mimeinfo.cache"); kl::fileKind(only) == kl::FileKind::Regular) {
        std::error_code error;
        auto entries = std::filesystem::directory_iterator(applications, error);
        if (!error && std::distance(entries, std::filesystem::directory_iterator()) == 1)
            std::filesystem::remove(only, error);
    }
    for (const DesktopFile& file : desktopFiles())
        removeEmptyFolders(base, file.folder);
    return status;
}
