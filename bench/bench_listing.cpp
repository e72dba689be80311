// Folder listing against its floor: a plain readdir loop with a case-insensitive wildcard.
#include <fnmatch.h>

#include "bench_support.h"
#include "browser/folder_listing.h"

namespace {

// What any listing must at least do: read every entry and match it.
std::vector<std::string> floorListing(const std::string& folder, const char* pattern)
{
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return names;
    while (const dirent* entry = ::readdir(dir))
        if (entry->d_name[0] != '.' && ::fnmatch(pattern, entry->d_name, FNM_CASEFOLD) == 0)
            names.emplace_back(entry->d_name);
    ::closedir(dir);
    return names;
}

void registerPair(int files, const char* pattern, const char* label)
{
    const std::string name = std::string("listing ") + label + " " + std::to_string(files);
    benchmark::RegisterBenchmark((name + "/project").c_str(), [files, pattern](benchmark::State& state) {
        const std::string folder = bench::romFolder(files);
        for (auto _ : state) {
            auto listing = kl::listFolder(folder, pattern);
            benchmark::DoNotOptimize(listing.names.size());
        }
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((name + "/floor").c_str(), [files, pattern](benchmark::State& state) {
        const std::string folder = bench::romFolder(files);
        for (auto _ : state) {
            auto names = floorListing(folder, pattern);
            benchmark::DoNotOptimize(names.data());
        }
    })->Unit(benchmark::kMillisecond);
}

}  // namespace

int main(int argc, char** argv)
{
    for (int files : {1000, 10000, 100000}) {
        registerPair(files, "*.vb", "*.vb");
        registerPair(files, "*.*", "*.*");
    }
    return bench::runWithRatios(argc, argv, {{"listing", {"<= 1.3", 1.3}}});
}
