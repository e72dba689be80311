// No-Intro DAT files in Logiqx XML, from its seeds.
#include "fuzz_catalogue.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) { return fuzzCatalogue(data, size); }
