// No-Intro DAT files in the clrmamepro text form, from its seeds.
#include "fuzz_catalogue.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) { return fuzzCatalogue(data, size); }
