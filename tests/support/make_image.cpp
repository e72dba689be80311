// Writes one generated fixture image: kl_make_image NAME FILE, or as the one entry ENTRY of a
// zip archive FILE: kl_make_image NAME FILE ENTRY.
#include <cstdio>

#include <zip.h>

#include "patch_images.h"

int main(int argc, char** argv)
{
    const std::string image = argc == 3 || argc == 4 ? fixture::named(argv[1]) : std::string();
    if (image.empty()) {
        std::fputs("usage: kl_make_image source|translated|doubled|padded|halved FILE [ENTRY]\n", stderr);
        return 2;
    }
    if (argc == 4) {
        int error = 0;
        zip_t* archive = zip_open(argv[2], ZIP_CREATE | ZIP_TRUNCATE, &error);
        zip_source_t* source = archive ? zip_source_buffer(archive, image.data(), image.size(), 0) : nullptr;
        if (!source || zip_file_add(archive, argv[3], source, ZIP_FL_ENC_UTF_8) < 0 || zip_close(archive) != 0)
            return 1;
        return 0;
    }
    std::FILE* out = std::fopen(argv[2], "wb");
    if (!out || std::fwrite(image.data(), 1, image.size(), out) != image.size() || std::fclose(out) != 0)
        return 1;
    return 0;
}
