// Names, folders and addresses of the thumbnail sets' pictures.
#include "thumbnails.h"

#include <algorithm>

#include "../file_kind.h"
#include "../launch/patched_start.h"
#include "../paths.h"
#include "../rom/zip_archive.h"

namespace kl {

namespace {

std::string join(std::string_view folder, std::string_view name) { return joinAlways(folder, name, kNativeStyle); }

std::string base(const std::string& value, const std::string& home, std::string_view fallback)
{
    return !value.empty() && value.front() == '/' ? value : join(home, fallback);
}

}  // namespace

std::string_view pictureKindFolder(PictureKind kind)
{
    switch (kind) {
    case PictureKind::Boxart: return "Named_Boxarts";
    case PictureKind::Title: return "Named_Titles";
    case PictureKind::Snap: return "Named_Snaps";
    }
    return "Named_Boxarts";
}

std::optional<PictureKind> pictureKindOfFolder(std::string_view folder)
{
    for (const PictureKind kind : {PictureKind::Boxart, PictureKind::Title, PictureKind::Snap})
        if (pictureKindFolder(kind) == folder)
            return kind;
    return std::nullopt;
}

std::vector<PictureKind> pictureKindsFor(PictureKind chosen)
{
    std::vector<PictureKind> kinds{chosen};
    for (const PictureKind kind : {PictureKind::Boxart, PictureKind::Title, PictureKind::Snap})
        if (kind != chosen)
            kinds.push_back(kind);
    return kinds;
}

std::string thumbnailFileName(std::string_view name)
{
    std::string file(name);
    for (char& c : file)
        if (std::string_view("&*/:`\"<>?\\|").find(c) != std::string_view::npos)
            c = '_';
    return file;
}

std::vector<std::string> pictureNames(const std::vector<std::string>& catalogueNames, std::string_view fileName)
{
    std::vector<std::string> names;
    const auto add = [&](std::string_view name) {
        std::string file = thumbnailFileName(name);
        if (!file.empty() && std::find(names.begin(), names.end(), file) == names.end())
            names.push_back(std::move(file));
    };
    for (const std::string& name : catalogueNames)
        add(name);
    std::string_view stem = fileName;
    if (const std::size_t dot = stem.find_last_of('.'); dot != std::string_view::npos && dot > 0)
        stem = stem.substr(0, dot);
    add(stem);
    if (const std::size_t open = stem.find(" ("); open != std::string_view::npos && open > 0)
        add(stem.substr(0, open));
    return names;
}

std::vector<std::string> catalogueNamesOf(const std::string& romPath, const std::vector<Catalogue>& catalogues)
{
    std::vector<std::string> names;
    if (const auto patched = examinePatch(romPath); patched && patched->outcome.status == PatchOutcome::Status::Applied)
        if (auto name = patchedGameName(*patched, catalogues))
            names.push_back(std::move(*name));
    if (const auto image = readGameImage(romPath))
        if (auto name = verifiedName(catalogues, {reinterpret_cast<const unsigned char*>(image->data()), image->size()}))
            names.push_back(std::move(*name));
    return names;
}

std::vector<std::string> pictureFolders(const PictureSearch& search)
{
    std::vector<std::string> folders;
    if (!search.userFolder.empty())
        folders.push_back(search.userFolder);
    if (!search.home.empty()) {
        folders.push_back(join(base(search.xdgConfigHome, search.home, ".config"), "retroarch/thumbnails"));
        folders.push_back(join(search.home, ".var/app/org.libretro.RetroArch/config/retroarch/thumbnails"));
    }
    if (const std::string cache = pictureCacheFolder(search); !cache.empty())
        folders.push_back(cache);
    return folders;
}

std::string pictureCacheFolder(const PictureSearch& search)
{
    if (search.home.empty() && (search.xdgCacheHome.empty() || search.xdgCacheHome.front() != '/'))
        return {};
    return join(base(search.xdgCacheHome, search.home, ".cache"), "kalmora-launcher/thumbnails");
}

std::string picturePath(std::string_view folder, PictureKind kind, std::string_view name)
{
    return join(join(join(folder, kThumbnailSystem), pictureKindFolder(kind)), std::string(name) + ".png");
}

std::optional<std::string> findPicture(const std::vector<std::string>& folders, const std::vector<std::string>& names,
                                       PictureKind chosen)
{
    for (const PictureKind kind : pictureKindsFor(chosen))
        for (const std::string& name : names)
            for (const std::string& folder : folders)
                if (std::string path = picturePath(folder, kind, name); fileKind(path) == FileKind::Regular)
                    return path;
    return std::nullopt;
}

std::string pictureAddress(std::string_view base, PictureKind kind, std::string_view name)
{
    const auto encode = [](std::string_view part) {
        static const char hex[] = "0123456789ABCDEF";
        std::string out;
        for (const unsigned char c : part) {
            if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_'
                || c == '.' || c == '~')
                out += static_cast<char>(c);
            else {
                out += '%';
                out += hex[c >> 4];
                out += hex[c & 15];
            }
        }
        return out;
    };
    std::string address(base);
    while (!address.empty() && address.back() == '/')
        address.pop_back();
    return address + '/' + encode(kThumbnailSystem) + '/' + encode(pictureKindFolder(kind)) + '/' + encode(name)
           + ".png";
}

bool hasPngSignature(std::string_view bytes) { return bytes.starts_with(std::string_view("\x89PNG\r\n\x1a\n", 8)); }

std::optional<std::pair<long, long>> pngSize(std::string_view bytes)
{
    // The signature, then IHDR first: its length (13), its type, then width and height.
    if (bytes.size() < 24 || !hasPngSignature(bytes) || bytes.substr(12, 4) != "IHDR")
        return std::nullopt;
    const auto number = [&](std::size_t at) {
        long value = 0;
        for (std::size_t i = 0; i < 4; ++i)
            value = value * 256 + static_cast<unsigned char>(bytes[at + i]);
        return value;
    };
    return std::pair{number(16), number(20)};
}

}  // namespace kl
