// Where this user's launchers meet: a folder no other user can enter.
#pragma once

#include <optional>
#include <string>

// The folder of this user's alone that holds the lock and the socket: $XDG_RUNTIME_DIR when it
// is an absolute private folder of ours, else /tmp/kalmora-launcher-<uid>, made 0700 and
// checked. Nothing when neither can be had (another user made the one below /tmp first).
std::optional<std::string> privateRuntimeFolder();
