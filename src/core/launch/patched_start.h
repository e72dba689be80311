// A patch beside a game, applied at every start: a fan translation or a save hack published as
// an IPS, UPS or BPS file with the game's own base name. It is checked before anything starts,
// and the patched image is kept apart, in the user's data, one folder per result, so that the
// image, the patch and the ROM folder are never written and the hack's saves stay its own.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "../config/config_location.h"
#include "../rom/catalogue.h"
#include "../rom/patch.h"

namespace kl {

// Data/Patched for a portable copy whose Data exists, else $XDG_DATA_HOME/kalmora-launcher/patched.
std::string patchedImagesFolder(const ConfigLocation& location);

// The patch of a .vb or .zip game file: <base>.bps, .ups or .ips beside it, the extension in
// any case, the first of BPS, UPS, IPS (the checked formats first). Nothing where none lies
// there, and for any other file (a patch itself among them).
std::optional<std::string> patchBeside(const std::string& romPath);

// What the patch beside a game makes of its image, in memory.
struct PatchedGame {
    std::string patchPath;
    std::string patchName;  // its file name
    std::string gameName;   // the game file's name
    std::optional<PatchFormat> format;
    PatchOutcome outcome;   // AlreadyApplied too where the result is the image itself
    std::uint64_t imageSize = 0;
    std::uint32_t imageCrc = 0;
    std::string copyName;   // the patched image's file name: the image's own
    Sha1 resultSha1{};      // with Applied
};
// Nothing where no patch lies beside the game.
std::optional<PatchedGame> examinePatch(const std::string& romPath);

// The folder of a result's copy: <patched images folder>/<its SHA-1 in lower-case hex>.
std::string patchedCopyFolder(const std::string& imagesFolder, const Sha1& result);
// The patched image, written atomically unless an intact copy (a regular file of the
// result's size and SHA-1) is there already; its path, or nothing when it could not be written.
std::optional<std::string> keepPatchedCopy(const PatchedGame& game, const std::string& imagesFolder);

using CatalogueSource = std::function<const std::vector<Catalogue>&()>;
// The message that refuses a start: a patch made for another image (named as a catalogue names
// the image it expects), or a damaged one. Empty where the patch does not refuse it.
std::string patchRefusalText(const PatchedGame& game, const CatalogueSource& catalogues);
std::string patchCopyFailureText(const PatchedGame& game, const std::string& imagesFolder);
// For a patch made for another image: "<size> bytes, CRC-32 <crc>" of the one it expects, and
// the game a catalogue names by that size and CRC-32.
std::string expectedImageText(const PatchedGame& game);
std::optional<std::string> expectedGameName(const PatchedGame& game, const std::vector<Catalogue>& catalogues);
// The game a catalogue names for the patched image, when it is verified; else nothing.
std::optional<std::string> patchedGameName(const PatchedGame& game, const std::vector<Catalogue>& catalogues);

// A game file renamed from one path to another takes its patch along, under the new base name
// with the patch's extension as it was spelled. False where it had none or it stayed.
bool movePatchAlong(const std::string& oldRomPath, const std::string& newRomPath);

// The key a start of this game file keeps its play time under: the patched image's SHA-1
// where a patch applies, else the image's (playKeyOf).
std::optional<Sha1> playKeyOfGame(const std::string& romPath);

// "0123ABCD", as the Properties window shows a CRC-32.
std::string crcText(std::uint32_t crc);

}  // namespace kl
