// Starting the emulator from an argument vector: no shell, no conversion of the bytes.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "command_line.h"

namespace kl {

// Starts the program in its working folder and returns at once; the program is not the
// launcher's child, so nothing waits for it. The program is a path as the planner made it: it
// is never looked for on the PATH. It gets the standard descriptors only. False when the
// folder could not be entered or the program not started.
bool startDetached(const LaunchCommand& command);

// Where a started program's standard descriptors lead: the launcher's own, or /dev/null (for
// helpers nobody reads, which may outlive the launcher and must hold no pipe of its caller).
enum class Streams { Inherited, Null };
bool startDetached(const LaunchCommand& command, Streams streams);

// As startDetached, with the program started as the child of a watcher: a process that then
// runs the watcher command with the program's process id as one more argument, in / with
// /dev/null as its standard descriptors, and so can wait for it. The program itself starts
// exactly as without one; where the watcher cannot be started it simply runs unwatched.
bool startDetached(const LaunchCommand& command, const LaunchCommand& watcher);

// Runs `first`, then `then` once `first` has ended, in a process of their own that the caller
// never waits for: it goes on after the caller ends, and holds none of its descriptors. Both
// get /dev/null as their standard descriptors. A `first` that has not ended within
// `firstSeconds` is left running, and `then` is not started. False when the chain's process
// could not be forked; what fails in it later is not reported.
bool startDetachedChain(const LaunchCommand& first, int firstSeconds, const LaunchCommand& then);

// Starts the program with /dev/null as its standard descriptors and waits for that one
// process, touching no signal disposition: its exit status, or nothing when it could not be
// started.
std::optional<int> runQuietly(const LaunchCommand& command);

// The first 4 KiB a program writes to its standard output (its other descriptors on
// /dev/null), once it has ended; nothing when it could not be started or failed.
std::optional<std::string> outputOf(const LaunchCommand& command);

// Starts the program and waits for it to end: its exit status, or 128 + the number of the
// signal that ended it. SIGTERM, SIGHUP, SIGINT and SIGQUIT sent to the launcher meanwhile
// are passed on to it. Nothing when it could not be started; `error` then says why.
// `started` runs once the program is running, while it is waited for.
std::optional<int> runAndWait(const LaunchCommand& command, std::string& error,
                              const std::function<void()>& started = {});

}  // namespace kl
