// Hands the ROM folder read ahead at start-up to the file list.
#pragma once

class FileListBox;
class QString;
namespace kl {
class FolderPrefetch;
}

// Ends the read-ahead, whatever start-up ended with. When the list's folder was set from
// this folder text and the names were read for it and the list's pattern, the list shows
// them instead of reading the folder once more; true then.
bool takePrefetchedListing(kl::FolderPrefetch& prefetch, bool folderSet, const QString& folderText,
                           FileListBox& list);
