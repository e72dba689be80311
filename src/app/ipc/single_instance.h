// One running launcher per user and program folder, and where it can be reached.
#pragma once

#include <optional>
#include <string>

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
