// Fuzz inputs as files: the loaders read paths, so the bytes go to an in-memory file.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace fuzz {

class MemoryFile {
public:
    MemoryFile(const std::uint8_t* data, std::size_t size) : m_fd(::memfd_create("fuzz", MFD_CLOEXEC))
    {
        if (m_fd < 0)
            std::abort();
        for (std::size_t done = 0; done < size;) {
            const ssize_t n = ::write(m_fd, data + done, size - done);
            if (n <= 0)
                std::abort();
            done += static_cast<std::size_t>(n);
        }
    }
    ~MemoryFile() { ::close(m_fd); }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;
    std::string path() const { return "/proc/self/fd/" + std::to_string(m_fd); }

private:
    int m_fd;
};

// A broken invariant is a crash, so libFuzzer keeps the input.
inline void require(bool condition)
{
    if (!condition)
        std::abort();
}

}  // namespace fuzz
