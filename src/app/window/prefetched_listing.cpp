// The Qt side of the read-ahead: the list's texts as the core compares them.
#include "prefetched_listing.h"

#include "browser/startup_listing.h"
#include "bytes.h"
#include "widgets/file_list_box.h"

bool takePrefetchedListing(kl::FolderPrefetch& prefetch, bool folderSet, const QString& folderText,
                           FileListBox& list)
{
    if (!folderSet) {
        prefetch.wait();
        return false;
    }
    // The same conversions as the list's own read of its folder and pattern.
    auto names = prefetch.take(toBytes(folderText), toBytes(list.pattern()));
    if (!names)
        return false;
    list.showNames(std::move(*names));
    return true;
}
