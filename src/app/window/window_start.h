// The plain start of the program: its window.
#pragma once

#include <string>

// The window of this program folder, or nothing where another instance holds it; the exit
// status, or the stop signal raised again after the documented exit.
int runWindow(int argc, char** argv, const std::string& folder);
