// The list's name sort on any names: exactly the order of the plain comparison. The bytes
// are split at NUL, which no file name holds; the first piece is a prefix shared by every
// other name, as in real collections, so the radix passes go many levels deep.
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "browser/folder_listing.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::vector<std::string_view> pieces;
    for (std::size_t pos = 0; pos <= bytes.size();) {
        const std::size_t end = std::min(bytes.find('\0', pos), bytes.size());
        pieces.push_back(bytes.substr(pos, end - pos));
        pos = end + 1;
    }
    const std::string prefix(pieces.front());
    std::vector<std::string> names;
    kl::NameList packed;
    for (std::size_t i = 1; i < pieces.size(); ++i) {
        names.push_back(prefix + std::string(pieces[i]));
        packed.push_back(names.back());
    }
    kl::sortIgnoringCase(packed);
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return kl::lessIgnoringCase(a, b); });
    fuzz::require(std::equal(packed.begin(), packed.end(), names.begin(), names.end()));
    return 0;
}
