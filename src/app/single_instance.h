// One running launcher per user and program folder.
#pragma once

#include <string>

// Holds a lock for the life of the process; the kernel drops it when the process ends,
// so a crashed launcher never leaves it stuck. False when another instance holds it.
bool acquireSingleInstanceLock(const std::string& programFolder);

// The folder of the running executable, links resolved.
std::string runningProgramFolder();
