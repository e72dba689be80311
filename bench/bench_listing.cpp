// Folder listing against its floor: a plain readdir loop with a case-insensitive wildcard.
// Identifying an image against a catalogue of 10,000 entries, against reading and hashing it.
#include <fnmatch.h>
#include <malloc.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "bench_support.h"
#include "browser/folder_listing.h"
#include "rom/catalogue.h"
#include "rom/rom_header.h"

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

constexpr int kCatalogueEntries = 10000;

// A 1 MiB image and a Logiqx catalogue of 10,000 games, the image's the last of them.
struct CatalogueFixture {
    std::string imagePath;
    std::string catalogue;
    CatalogueFixture()
    {
        const std::string folder = bench::romFolder(0);
        imagePath = folder + "/identify.vb";
        std::string image(1 << 20, '\0');
        for (std::size_t i = 0; i < image.size(); ++i)
            image[i] = static_cast<char>((i * 2654435761u) >> 13);
        std::ofstream(imagePath, std::ios::binary).write(image.data(), static_cast<std::streamsize>(image.size()));
        const auto bytes = std::span(reinterpret_cast<const unsigned char*>(image.data()), image.size());
        const kl::Sha1 sha = kl::sha1Of(bytes);
        std::string shaHex;
        char hex[3];
        for (const auto b : sha) {
            std::snprintf(hex, sizeof hex, "%02x", b);
            shaHex += hex;
        }
        catalogue = "<datafile><header><name>Bench</name></header>";
        char line[256];
        for (int i = 0; i < kCatalogueEntries; ++i) {
            const bool last = i == kCatalogueEntries - 1;
            std::snprintf(line, sizeof line,
                          "<game name=\"Game %d (USA)\"><rom name=\"g%d.vb\" size=\"1048576\" crc=\"%08x\" sha1=\"%s\"/></game>\n",
                          i, i, last ? kl::crc32Of(bytes) : static_cast<unsigned>(i), last ? shaHex.c_str() : "0000000000000000000000000000000000000000");
            catalogue += line;
        }
        catalogue += "</datafile>\n";
    }
};

const CatalogueFixture& catalogueFixture()
{
    static const CatalogueFixture fixture;
    return fixture;
}

void registerIdentify()
{
    benchmark::RegisterBenchmark("identify in 10000 entries/project", [](benchmark::State& state) {
        const CatalogueFixture& fx = catalogueFixture();
        const std::vector<kl::Catalogue> catalogues{kl::parseCatalogue(fx.catalogue, "bench.dat")};
        for (auto _ : state) {
            const auto image = kl::readRomImage(fx.imagePath);
            const auto bytes = std::span(reinterpret_cast<const unsigned char*>(image->data()), image->size());
            kl::Identity identity = kl::identify(catalogues, bytes, "").identity;
            benchmark::DoNotOptimize(identity);
        }
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("identify in 10000 entries/floor", [](benchmark::State& state) {
        const CatalogueFixture& fx = catalogueFixture();
        for (auto _ : state) {
            const auto image = kl::readRomImage(fx.imagePath);
            const auto bytes = std::span(reinterpret_cast<const unsigned char*>(image->data()), image->size());
            benchmark::DoNotOptimize(kl::crc32Of(bytes));
            benchmark::DoNotOptimize(kl::sha1Of(bytes));
        }
    })->Unit(benchmark::kMillisecond);
}

// The catalogue's load time and the memory each entry takes, as a row of their own.
void printCatalogueLoad(std::FILE* out)
{
    const CatalogueFixture& fx = catalogueFixture();
    const std::size_t before = mallinfo2().uordblks;
    const auto start = std::chrono::steady_clock::now();
    const kl::Catalogue catalogue = kl::parseCatalogue(fx.catalogue, "bench.dat");
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    const double perEntry = static_cast<double>(mallinfo2().uordblks - before) / static_cast<double>(catalogue.entries.size());
    std::fprintf(out, "| catalogue load, %d entries (%zu KiB) | %.3f ms | %.0f bytes/entry | | | |\n", kCatalogueEntries,
                 fx.catalogue.size() / 1024, ms, perEntry);
}

}  // namespace

int main(int argc, char** argv)
{
    for (int files : {1000, 10000, 100000}) {
        registerPair(files, "*.vb", "*.vb");
        registerPair(files, "*.*", "*.*");
    }
    registerIdentify();
    const int status = bench::runWithRatios(argc, argv, {{"listing", {"<= 1.3", 1.3}}, {"identify", {"<= 1.3", 1.3}}});
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--table=", 8) == 0)
            if (std::FILE* out = std::fopen(argv[i] + 8, "a")) {
                printCatalogueLoad(out);
                std::fclose(out);
            }
    return status;
}
