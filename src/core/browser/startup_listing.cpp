// Reading the ROM folder ahead of the window, and handing the names over only when they are
// exactly what the list would read at the end of start-up.
#include "startup_listing.h"

#include <sys/stat.h>

#include <chrono>
#include <system_error>

#include "../config/gui_settings.h"
#include "../config/settings_file.h"
#include "../paths.h"

namespace kl {

namespace {

// Longer than the coarsest timestamps in use (FAT keeps two seconds).
constexpr std::chrono::seconds kSettledAfter{3};

bool sameTime(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

}  // namespace

std::optional<ListingRequest> startupListingRequest(const ConfigLocation& config)
{
    EmulatorSettings settings;
    loadSettingsFile(config.settingsReadPath(), settings);
    // The path box drops leading blanks as soon as it is set.
    std::string folder = trimLeadingBlanks(settings.text(Field::txtRomPath));
    if (folder.size() < kNativeStyle.rootLength)
        return std::nullopt;
    GuiSettings gui;
    loadGuiFile(config.guiReadPath(), gui);
    auto pattern = filePatternFor(gui);
    // With no file type ticked the list keeps its pattern: the one the menus' first ticks gave
    // it when the folder text was set.
    if (!pattern)
        pattern = filePatternFor(GuiSettings{});
    return ListingRequest{std::move(folder), std::string(pattern.value_or(FileTypePattern(1)))};
}

std::optional<FolderStamp> folderStamp(const std::string& folder)
{
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return std::nullopt;
    return FolderStamp{st.st_dev, st.st_ino, st.st_mtim, st.st_ctim};
}

std::optional<FolderStamp> stableFolderStamp(const std::string& folder)
{
    const auto now = std::chrono::system_clock::now();
    const auto stamp = folderStamp(folder);
    if (!stamp)
        return std::nullopt;
    const auto modified = std::chrono::system_clock::time_point(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(
            std::chrono::seconds(stamp->modified.tv_sec) + std::chrono::nanoseconds(stamp->modified.tv_nsec)));
    if (modified > now - kSettledAfter)
        return std::nullopt;
    return stamp;
}

bool operator==(const FolderStamp& a, const FolderStamp& b)
{
    return a.device == b.device && a.inode == b.inode && sameTime(a.modified, b.modified)
           && sameTime(a.changed, b.changed);
}

FolderPrefetch::FolderPrefetch(const std::string& programFolder)
    : FolderPrefetch(startupListingRequest(configLocation(programFolder)))
{
}

FolderPrefetch::FolderPrefetch(std::optional<ListingRequest> request) : m_request(std::move(request))
{
    if (!m_request)
        return;
    try {
        m_thread = std::thread([this] { read(); });
    } catch (const std::system_error&) {
        // No thread to spare: the list reads the folder itself, as without a prefetch.
        m_request.reset();
    }
}

FolderPrefetch::~FolderPrefetch() { wait(); }

void FolderPrefetch::read()
{
    try {
        // Stamped before reading: any change from here on shows in the stamp taken later.
        m_stamp = stableFolderStamp(m_request->folder);
        if (m_stamp)
            m_listing = listFolder(m_request->folder, m_request->pattern);
    } catch (...) {
        // Out of memory, say: the list reads the folder itself.
        m_stamp.reset();
    }
}

void FolderPrefetch::wait()
{
    if (m_thread.joinable())
        m_thread.join();
}

std::optional<NameList> FolderPrefetch::take(std::string_view folder, std::string_view pattern)
{
    wait();
    if (m_taken)
        return std::nullopt;
    m_taken = true;
    if (!m_request || !m_stamp || m_listing.error != ListingError::None)
        return std::nullopt;
    if (folder != m_request->folder || pattern != m_request->pattern)
        return std::nullopt;
    const auto now = folderStamp(m_request->folder);
    if (!now || !(*now == *m_stamp))
        return std::nullopt;
    m_handedOver = true;
    return std::move(m_listing.names);
}

}  // namespace kl
