// Starting the emulator from an argument vector: no shell, no conversion of the bytes.
#pragma once

#include <optional>
#include <string>

#include "command_line.h"

namespace kl {

// Starts the program in its working folder and returns at once; the program is not the
// launcher's child, so nothing waits for it. A program without a folder is looked for on the
// PATH. False when the folder could not be entered or the program not started.
bool startDetached(const LaunchCommand& command);

// Starts the program and waits for it to end: its exit status, or 128 + the number of the
// signal that ended it. Nothing when it could not be started; `error` then says why.
std::optional<int> runAndWait(const LaunchCommand& command, std::string& error);

}  // namespace kl
