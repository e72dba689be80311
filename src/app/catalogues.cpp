// The catalogues in use, shared by the Properties window and the applications menu entries.
#include "catalogues.h"

#include "launch/patched_start.h"
#include "rom/zip_archive.h"

namespace {

std::string& folderInUse()
{
    static std::string folder;
    return folder;
}

}  // namespace

void useCatalogues(const std::string& folder) { folderInUse() = folder; }
const std::string& catalogueFolderInUse() { return folderInUse(); }

const std::vector<kl::Catalogue>& currentCatalogues()
{
    static kl::CatalogueSet set;
    return set.catalogues(folderInUse(), std::string(kl::kMameSoftwareList));
}

std::optional<std::string> verifiedGameName(const std::string& romPath)
{
    // A patched game is the patch's result: its name, else none (and the file name serves).
    if (const auto patched = kl::examinePatch(romPath); patched && patched->outcome.status == kl::PatchOutcome::Status::Applied)
        return kl::patchedGameName(*patched, currentCatalogues());
    const std::optional<std::string> image = kl::readGameImage(romPath);
    if (!image)
        return std::nullopt;
    return kl::verifiedName(currentCatalogues(),
                            {reinterpret_cast<const unsigned char*>(image->data()), image->size()});
}

kl::PatchPlace patchPlaceFor(const kl::ConfigLocation& location)
{
    return {kl::patchedImagesFolder(location), []() -> const std::vector<kl::Catalogue>& { return currentCatalogues(); }};
}
