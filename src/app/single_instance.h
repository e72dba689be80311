// One running launcher per user and program folder, and where it can be reached.
#pragma once

#include <optional>
#include <string>

// The folder of this user's alone that holds the lock and the socket: $XDG_RUNTIME_DIR when it
// is an absolute private folder of ours, else /tmp/kalmora-launcher-<uid>, made 0700 and
// checked. Nothing when neither can be had (another user made the one below /tmp first).
std::optional<std::string> privateRuntimeFolder();

enum class InstanceLock { Held, HeldByAnother, Unavailable };
// Holds a lock for the life of the process; the kernel drops it when the process ends,
// so a crashed launcher never leaves it stuck. Unavailable when there is no private place
// for it: the window then runs alone, without single-instance and hand-over.
InstanceLock acquireSingleInstanceLock(const std::string& programFolder);

// True while a launcher of this user and program folder holds its lock (it may still be
// starting), without taking the lock.
bool instanceRunning(const std::string& programFolder);

// The local socket a running window listens on for ROM files, in the private folder.
// Nothing when no private folder can be had.
std::optional<std::string> handoverSocketPath(const std::string& programFolder);

// The folder of the running executable, links resolved.
std::string runningProgramFolder();
