// The catalogues this program reads: the folder its location gives and MAME's software list,
// read when first needed and again once a file of them changed.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "launch/launcher.h"
#include "rom/catalogue.h"

void useCatalogues(const std::string& folder);
const std::string& catalogueFolderInUse();
const std::vector<kl::Catalogue>& currentCatalogues();
// The catalogue's name of the game in a .vb file (or a zip's first .vb entry) when the game
// is verified, of its patched image where a patch beside it applies; nothing otherwise.
std::optional<std::string> verifiedGameName(const std::string& romPath);
// Where a copy at this location keeps patched images, with the catalogues in use to word a
// patch's refusal.
kl::PatchPlace patchPlaceFor(const kl::ConfigLocation& location);
