// The command line: a plain start, a ROM file to open, or a command for scripts.
#pragma once

#include <string>

struct Invocation {
    enum class Mode {
        Window,        // no arguments: the window, as ever
        Open,          // FILE: hand it to the running window, or launch it without one
        Run,           // --run FILE: launch, wait, exit with the emulator's status
        PrintCommand,  // --print-command FILE: print what --run would start
        ListWine,      // --list-wine: the Wine and Proton builds found, the one a start uses marked
        InstallDesktopEntry,  // --install-desktop-entry: this copy in the user's applications menu
        RemoveDesktopEntry,   // --remove-desktop-entry: out of it again
        Finished,      // --help, --version or a usage error: already answered
    };
    Mode mode = Mode::Window;
    std::string file;  // absolute, its bytes as given
    int status = 0;    // for Finished
};

// Reads the arguments as bytes (a FILE need not be UTF-8); a relative FILE is taken against
// the working folder. Help and version go to standard output, usage errors (status 2) to
// standard error.
Invocation parseArguments(int argc, char** argv);
