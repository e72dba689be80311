// The launcher's own place in the desktop for a copy that no package installed (the
// self-contained folder): its desktop entry, icons, file type and AppStream metainfo in the
// user's data folder, written and removed from the command line.
#pragma once

#include <string>

// --install-desktop-entry: the files written (again) for this program folder, the entry
// starting this copy; 0, or 1 after a line on standard error.
int installDesktopEntry(const std::string& programFolder);
// --remove-desktop-entry: exactly those files removed; 0, or 1 after a line on standard error.
int removeDesktopEntry();
