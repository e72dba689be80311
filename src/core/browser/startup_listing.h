// The ROM folder read ahead on a thread of its own while the window is built, for the folder
// text and file pattern that start-up reads from the two configuration files.
#pragma once

#include <sys/types.h>

#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "../config/config_location.h"
#include "folder_listing.h"

namespace kl {

// The folder text and file pattern the list ends start-up with, as far as the two files
// decide them.
struct ListingRequest {
    std::string folder;
    std::string pattern;
    bool operator==(const ListingRequest&) const = default;
};

// Reads the files start-up reads, with start-up's readers and from the window's state before
// loading. Nothing when the folder text hides the list, so there is nothing to read.
std::optional<ListingRequest> startupListingRequest(const ConfigLocation& config);

// What a folder looked like when it was read: a change of its entries changes its
// modification time, and a folder put in its place has another inode.
struct FolderStamp {
    dev_t device = 0;
    ino_t inode = 0;
    timespec modified{};
    timespec changed{};
};

class FolderPrefetch {
public:
    // Reads the configuration files on the calling thread (their readers and the
    // environment are not for two threads at once), then the folder on a thread of its own.
    explicit FolderPrefetch(const std::string& programFolder);
    // Reads this folder and pattern; nothing to read when there is no request.
    explicit FolderPrefetch(std::optional<ListingRequest> request);
    ~FolderPrefetch();
    FolderPrefetch(const FolderPrefetch&) = delete;
    FolderPrefetch& operator=(const FolderPrefetch&) = delete;

    // Waits until the read has ended; after it nothing runs on the other thread.
    void wait();

    // Waits, then hands over the names, once: only when they were read for exactly this
    // folder text and pattern, the read succeeded and the folder has not changed since it
    // began. Nothing otherwise, and the caller reads the folder itself.
    std::optional<NameList> take(std::string_view folder, std::string_view pattern);

    const std::optional<ListingRequest>& request() const { return m_request; }
    // Whether take handed the names over.
    bool handedOver() const { return m_handedOver; }

private:
    void read();

    std::optional<ListingRequest> m_request;
    // Written by the reading thread only, and read only after it has been joined.
    FolderListing m_listing;
    std::optional<FolderStamp> m_stamp;
    bool m_taken = false;
    bool m_handedOver = false;
    std::thread m_thread;
};

// The folder's stamp, or nothing when it cannot be read or changed too recently for a later
// change to be told apart by its time (timestamps are coarse, on some file systems seconds).
std::optional<FolderStamp> stableFolderStamp(const std::string& folder);
std::optional<FolderStamp> folderStamp(const std::string& folder);
bool operator==(const FolderStamp& a, const FolderStamp& b);

}  // namespace kl
