// Reading archives with libzip: the central directory for the list, one entry for the footer.
#include "zip_archive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <memory>

namespace kl {

namespace {

struct ArchiveCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }  // read-only: nothing to write back
};
using Archive = std::unique_ptr<zip_t, ArchiveCloser>;

struct EntryCloser {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};


// Reads at most kMaxEntryBytes + 1 bytes, whatever size the entry claims, so that "more than
// an image can be" is known without holding more. Nothing on a read error.
std::optional<std::string> readEntry(zip_t* archive, zip_uint64_t index)
{
    std::unique_ptr<zip_file_t, EntryCloser> file(zip_fopen_index(archive, index, 0));
    if (!file)
        return std::nullopt;
    std::string bytes;
    char chunk[65536];
    while (bytes.size() <= kMaxEntryBytes) {
        const zip_int64_t n = zip_fread(file.get(), chunk, sizeof chunk);
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            break;
        bytes.append(chunk, static_cast<std::size_t>(n));
    }
    return bytes;
}

std::optional<ArchiveContents> contentsOf(zip_t* archive)
{
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    if (count < 0)
        return std::nullopt;
    ArchiveContents contents;
    contents.entries.reserve(static_cast<std::size_t>(count));
    for (zip_uint64_t i = 0; i < static_cast<zip_uint64_t>(count); ++i) {
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(archive, i, ZIP_FL_ENC_GUESS, &st) != 0 || !(st.valid & ZIP_STAT_NAME))
            return std::nullopt;
        ArchiveEntry entry{st.name, (st.valid & ZIP_STAT_SIZE) ? st.size : 0};
        if (!contents.rom && isRomName(entry.name)) {
            const auto bytes = readEntry(archive, i);
            if (!bytes)
                return std::nullopt;
            ArchiveRom rom{entry.name, std::nullopt, 0, {}};
            const std::span<const unsigned char> image(reinterpret_cast<const unsigned char*>(bytes->data()),
                                                       bytes->size());
            rom.header = romHeaderOf(image);
            if (rom.header)
                rom.crc = crc32Of(image);
            rom.image = *bytes;
            contents.rom = std::move(rom);
        }
        contents.entries.push_back(std::move(entry));
    }
    return contents;
}

}  // namespace

bool isRomName(std::string_view name)
{
    if (name.size() < 3 || name.back() == '/')
        return false;
    const std::string_view suffix = name.substr(name.size() - 3);
    return suffix[0] == '.' && (suffix[1] == 'v' || suffix[1] == 'V') && (suffix[2] == 'b' || suffix[2] == 'B');
}

std::optional<ArchiveContents> readArchive(std::span<const unsigned char> bytes)
{
    // libzip takes an empty file for an empty archive; it is none, not even an empty one.
    if (bytes.empty())
        return std::nullopt;
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    zip_error_fini(&error);
    if (!source)
        return std::nullopt;
    zip_error_init(&error);
    Archive archive(zip_open_from_source(source, ZIP_RDONLY, &error));
    zip_error_fini(&error);
    if (!archive) {
        zip_source_free(source);
        return std::nullopt;
    }
    return contentsOf(archive.get());
}

std::optional<ArchiveContents> readArchiveFile(const std::string& path)
{
    // A FIFO named like an archive must neither block nor be read.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size == 0) {
        ::close(fd);
        return std::nullopt;
    }
    int error = 0;
    Archive archive(zip_fdopen(fd, 0, &error));  // owns the descriptor on success
    if (!archive) {
        ::close(fd);
        return std::nullopt;
    }
    return contentsOf(archive.get());
}

std::optional<std::string> readGameImage(const std::string& path)
{
    std::optional<std::string> image;
    if (isRomName(path))
        image = readRomImage(path);
    else if (auto contents = readArchiveFile(path); contents && contents->rom)
        image = std::move(contents->rom->image);
    if (!image || !isRomImageSize(image->size()))
        return std::nullopt;
    return image;
}

}  // namespace kl
