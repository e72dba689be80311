// Entry point: the window (one per user and program folder), or a ROM file from outside.
#include <string>

#include "cli/arguments.h"
#include "bytes.h"
#include "cli/cli.h"
#include "cli/desktop_install.h"
#include "ipc/single_instance.h"
#include "window/window_start.h"

int main(int argc, char** argv)
{
    dropQtLocaleNotice();
    const std::string folder = runningProgramFolder();
    const Invocation call = parseArguments(argc, argv);
    switch (call.mode) {
    case Invocation::Mode::Finished: return call.status;
    case Invocation::Mode::Run: return runFile(folder, call.file);
    case Invocation::Mode::PrintCommand: return printCommand(folder, call.file);
    case Invocation::Mode::Open: return openFile(argc, argv, folder, call.file);
    case Invocation::Mode::ListWine: return listWine(folder);
    case Invocation::Mode::InstallDesktopEntry: return installDesktopEntry(folder);
    case Invocation::Mode::RemoveDesktopEntry: return removeDesktopEntry();
    case Invocation::Mode::Window: break;
    }
    return runWindow(argc, argv, folder);
}
