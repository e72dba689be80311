// The IPS reader on any bytes after its magic.
#include "fuzz_patch.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::applyAny(data, size, "PATCH", kl::applyIps);
    return 0;
}
