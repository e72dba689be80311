// What every catalogue form must hold to, whatever the bytes: a skipped catalogue has a reason
// and no entries, a read one at least one entry and at most the entry limit, and every entry
// a name.
#pragma once

#include <cstdint>
#include <string_view>

#include "fuzz_support.h"
#include "rom/catalogue.h"

inline int fuzzCatalogue(const std::uint8_t* data, std::size_t size)
{
    const kl::Catalogue catalogue =
        kl::parseCatalogue(std::string_view(reinterpret_cast<const char*>(data), size), "/c/fuzz.dat");
    fuzz::require(catalogue.problem.empty() != catalogue.entries.empty());
    fuzz::require(catalogue.entries.size() <= kl::kMaxCatalogueEntries);
    for (const kl::CatalogueEntry& entry : catalogue.entries)
        fuzz::require(!entry.name.empty());
    return 0;
}
