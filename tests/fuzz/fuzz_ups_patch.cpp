// The UPS reader on any bytes after its magic.
#include "fuzz_patch.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::applyAny(data, size, "UPS1", kl::applyUps);
    return 0;
}
