// One running launcher per user and program folder, and where it can be reached.
#pragma once

#include <optional>
#include <string>

// Holds a lock for the life of the process; the kernel drops it when the process ends,
// so a crashed launcher never leaves it stuck. False when another instance holds it.
bool acquireSingleInstanceLock(const std::string& programFolder);

// True while a launcher of this user and program folder holds its lock (it may still be
// starting), without taking the lock.
bool instanceRunning(const std::string& programFolder);

// The local socket a running window listens on for ROM files: in $XDG_RUNTIME_DIR, or else
// in a folder of this user's own below /tmp. Nothing when no private folder can be had.
std::optional<std::string> handoverSocketPath(const std::string& programFolder);

// The folder of the running executable, links resolved.
std::string runningProgramFolder();
