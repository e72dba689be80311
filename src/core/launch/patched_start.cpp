// Finding, checking and applying the patch beside a game, and keeping its result apart.
#include "patched_start.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <span>

#include "../browser/file_ops.h"
#include "../browser/folder_listing.h"
#include "../config/play_times.h"
#include "../config/text_file.h"
#include "../file_kind.h"
#include "../paths.h"
#include "../rom/rom_header.h"
#include "../rom/zip_archive.h"

namespace kl {

namespace {

std::span<const unsigned char> bytesOf(std::string_view s)
{
    return {reinterpret_cast<const unsigned char*>(s.data()), s.size()};
}

// The image a game file holds and the name its patched copy gets: a .vb file's own, or the
// zip's first ROM entry's after its last separator (the zip's base name with .vb where that
// leaves no name a file can have).
std::optional<std::string> gameImage(const std::string& path, const std::string& name, std::string& copyName)
{
    if (isRomName(name)) {
        copyName = name;
        return readRomImage(path);
    }
    auto contents = readArchiveFile(path);
    if (!contents || !contents->rom || !isRomImageSize(contents->rom->image.size()))
        return std::nullopt;
    const std::string& entry = contents->rom->name;
    const std::size_t separator = entry.find_last_of("/\\");
    copyName = separator == std::string::npos ? entry : entry.substr(separator + 1);
    if (copyName.empty() || copyName == "." || copyName == "..")
        copyName = name.substr(0, name.size() - 4) + ".vb";
    return std::move(contents->rom->image);
}

bool isIntactCopy(const std::string& path, const PatchedGame& game)
{
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)
        || static_cast<std::size_t>(status.st_size) != game.outcome.result.size())
        return false;
    const auto bytes = readWholeFile(path, kMaxPatchedBytes);
    return bytes && sha1Of(bytesOf(*bytes)) == game.resultSha1;
}

}  // namespace

std::string crcText(std::uint32_t crc)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text(8, '0');
    for (int i = 7; i >= 0; --i, crc >>= 4)
        text[std::size_t(i)] = kDigits[crc & 15];
    return text;
}

std::string patchedImagesFolder(const ConfigLocation& location)
{
    if (!location.installed && fileKind(location.folder) == FileKind::Folder)
        return joinAlways(location.folder, "Patched", kNativeStyle);
    return joinAlways(joinAlways(xdgFolder("XDG_DATA_HOME", ".local/share"), kConfigFolderName, kNativeStyle), "patched",
                      kNativeStyle);
}

std::optional<std::string> patchBeside(const std::string& romPath)
{
    const PathParts parts = splitPath(romPath);
    const std::size_t dot = parts.name.rfind('.');
    // The list's own patterns: the extension without regard to case.
    if (!(wildcardMatch("*.vb", parts.name) || wildcardMatch("*.zip", parts.name)) || dot == 0)
        return std::nullopt;
    const std::string base = parts.name.substr(0, dot + 1);
    for (const std::string_view extension : {"bps", "ups", "ips"}) {
        // Every spelling of the extension: lower case first, upper case next, then the others.
        for (const unsigned cases : {0u, 7u, 1u, 2u, 3u, 4u, 5u, 6u}) {
            std::string name = base;
            for (std::size_t i = 0; i < extension.size(); ++i)
                name += static_cast<char>(cases & (4u >> i) ? extension[i] - 32 : extension[i]);
            const std::string path = joinAlways(parts.folder, name, kNativeStyle);
            if (fileKind(path) == FileKind::Regular)
                return path;
        }
    }
    return std::nullopt;
}

std::optional<PatchedGame> examinePatch(const std::string& romPath)
{
    auto patchPath = patchBeside(romPath);
    if (!patchPath)
        return std::nullopt;
    PatchedGame game;
    game.patchPath = std::move(*patchPath);
    game.patchName = splitPath(game.patchPath).name;
    game.gameName = splitPath(romPath).name;
    const auto image = gameImage(romPath, game.gameName, game.copyName);
    if (!image) {
        game.outcome = patching::damaged("\"" + game.gameName + "\" holds no Virtual Boy image");
        return game;
    }
    game.imageSize = image->size();
    game.imageCrc = crc32Of(bytesOf(*image));
    ReadFailure why;
    const auto patch = readWholeFile(game.patchPath, kMaxPatchedBytes, why);
    if (!patch) {
        game.outcome = patching::damaged(why == ReadFailure::TooLarge ? "it is larger than 16 MiB" : "it cannot be read");
        return game;
    }
    game.format = patchFormatOf(*patch);
    game.outcome = applyPatch(*image, *patch);
    if (game.outcome.status == PatchOutcome::Status::Applied && game.outcome.result == *image) {
        game.outcome.status = PatchOutcome::Status::AlreadyApplied;
        game.outcome.result.clear();
    }
    if (game.outcome.status == PatchOutcome::Status::Applied)
        game.resultSha1 = sha1Of(bytesOf(game.outcome.result));
    return game;
}

std::string patchedCopyFolder(const std::string& imagesFolder, const Sha1& result)
{
    return joinAlways(imagesFolder, sha1Hex(result), kNativeStyle);
}

std::optional<std::string> keepPatchedCopy(const PatchedGame& game, const std::string& imagesFolder)
{
    const std::string folder = patchedCopyFolder(imagesFolder, game.resultSha1);
    const std::string path = joinAlways(folder, game.copyName, kNativeStyle);
    if (isIntactCopy(path, game))
        return path;
    if (!makeFolders(folder, 0700))
        return std::nullopt;
    // A link there would be written through, to wherever it leads: it is replaced instead.
    if (fileStatus(path, Links::Keep).kind != FileKind::Folder && ::unlink(path.c_str()) != 0 && errno != ENOENT)
        return std::nullopt;
    if (!writeFileAtomically(path, game.outcome.result))
        return std::nullopt;
    return path;
}

std::string patchRefusalText(const PatchedGame& game, const CatalogueSource& catalogues)
{
    const std::string patch = "The patch \"" + game.patchName + '"';
    switch (game.outcome.status) {
    case PatchOutcome::Status::Applied:
    case PatchOutcome::Status::AlreadyApplied: return {};
    case PatchOutcome::Status::Damaged: return patch + " cannot be applied: " + game.outcome.reason + '.';
    case PatchOutcome::Status::WrongSource: break;
    }
    const std::string image = "\"" + game.gameName + "\" has CRC-32 " + crcText(game.imageCrc) + '.';
    const std::string expected = expectedImageText(game);
    if (const auto name = catalogues ? expectedGameName(game, catalogues()) : std::nullopt)
        return patch + " was made for another image: \"" + *name + "\" (" + expected + "); " + image;
    return patch + " was made for another image of " + expected + "; " + image;
}

std::string expectedImageText(const PatchedGame& game)
{
    const PatchChecks& made = *game.outcome.checks;
    return std::to_string(made.sourceSize) + " bytes, CRC-32 " + crcText(made.sourceCrc);
}

std::optional<std::string> expectedGameName(const PatchedGame& game, const std::vector<Catalogue>& catalogues)
{
    if (game.outcome.status != PatchOutcome::Status::WrongSource)
        return std::nullopt;
    const PatchChecks& made = *game.outcome.checks;
    for (const Catalogue& catalogue : catalogues) {
        if (!catalogue.problem.empty())
            continue;
        for (const CatalogueEntry& entry : catalogue.entries)
            if (entry.size == made.sourceSize && entry.crc == made.sourceCrc)
                return entry.name;
    }
    return std::nullopt;
}

std::string patchCopyFailureText(const PatchedGame& game, const std::string& imagesFolder)
{
    return "The patched image of \"" + game.gameName + "\" could not be written to \"" + imagesFolder + "\".";
}

std::optional<std::string> patchedGameName(const PatchedGame& game, const std::vector<Catalogue>& catalogues)
{
    if (game.outcome.status != PatchOutcome::Status::Applied)
        return std::nullopt;
    return verifiedName(catalogues, bytesOf(game.outcome.result));
}

bool movePatchAlong(const std::string& oldRomPath, const std::string& newRomPath)
{
    const auto patch = patchBeside(oldRomPath);
    if (!patch)
        return false;
    const std::string extension = patch->substr(patch->rfind('.'));
    const PathParts rom = splitPath(newRomPath);
    const std::size_t dot = rom.name.rfind('.');
    const std::string base = dot == std::string::npos || dot == 0 ? rom.name : rom.name.substr(0, dot);
    return renameFile(*patch, joinAlways(rom.folder, base + extension, kNativeStyle));
}

std::optional<Sha1> playKeyOfGame(const std::string& romPath)
{
    const auto game = examinePatch(romPath);
    if (game && game->outcome.status == PatchOutcome::Status::Applied)
        return game->resultSha1;
    return playKeyOf(romPath);
}

}  // namespace kl
