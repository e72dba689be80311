// Starting a ROM file without the window: for scripts and game front-ends (--run,
// --print-command), and for a file opened while no window runs.
#pragma once

#include <string>

// --run: the exit status of the emulator (128 + a signal's number), or non-zero after a line
// on standard error when the launcher itself failed.
int runFile(const std::string& programFolder, const std::string& file);

// --print-command: the command --run would start, as shell words, and its folder.
int printCommand(const std::string& programFolder, const std::string& file);

// --list-wine: every Wine and Proton build found, "<mark><name>\t<program>" a line, the mark
// "* " on the one a start would use and two blanks on the others (none marked where WINE or a
// wine on the PATH is used); 0, also when none is found.
int listWine(const std::string& programFolder);

// FILE: handed to the running window of this user and program folder; without one, launched
// with the saved options, a failure shown in an error box.
int openFile(int argc, char** argv, const std::string& programFolder, const std::string& file);
