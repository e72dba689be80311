// Writes one generated fixture image: kl_make_image NAME FILE.
#include <cstdio>

#include "patch_images.h"

int main(int argc, char** argv)
{
    const std::string image = argc == 3 ? fixture::named(argv[1]) : std::string();
    if (image.empty()) {
        std::fputs("usage: kl_make_image source|translated|doubled|padded|halved FILE\n", stderr);
        return 2;
    }
    std::FILE* out = std::fopen(argv[2], "wb");
    if (!out || std::fwrite(image.data(), 1, image.size(), out) != image.size() || std::fclose(out) != 0)
        return 1;
    return 0;
}
