// Composition of the emulator command line and of the argument vector the launch starts.
#include "command_line.h"

#include <sys/stat.h>

namespace kl {

std::string emulatorPart(std::string_view emuPath, PathStyle style)
{
    std::string part = trimTrailingBlanks(emuPath);
    if (emuPath.size() > style.rootLength)
        part += style.separator;
    part += kEmulatorName;
    part += ' ';
    return part;
}

std::string romFolderPart(std::string_view romPath, PathStyle style)
{
    std::string part = trimTrailingBlanks(romPath);
    if (romPath.size() > style.rootLength)
        part += style.separator;
    return part;
}

std::string EmulatorCommandLine(std::string_view emuPath, std::string_view romPath, std::string_view fileName,
                                std::string_view parameterString, PathStyle style)
{
    std::string line = emulatorPart(emuPath, style);
    line += '"';
    line += romFolderPart(romPath, style);
    line += fileName;
    line += '"';
    line += parameterString;
    return line;
}

LaunchCommand emulatorLaunchCommand(std::string_view emuPath, std::string_view romPath, std::string_view fileName,
                                    std::string_view parameterString, PathStyle style)
{
    LaunchCommand cmd;
    cmd.program = emulatorPart(emuPath, style);
    cmd.program.pop_back();  // the blank that separates the program from its first argument
    cmd.arguments.push_back(romFolderPart(romPath, style) + std::string(fileName));
    // Switch words never contain blanks; runs of blanks (an empty list text) separate nothing.
    std::size_t pos = 0;
    while (pos < parameterString.size()) {
        const std::size_t start = parameterString.find_first_not_of(' ', pos);
        if (start == std::string_view::npos)
            break;
        const std::size_t end = parameterString.find(' ', start);
        cmd.arguments.emplace_back(parameterString.substr(start, end - start));
        pos = end;
    }
    cmd.workingDirectory = trimTrailingBlanks(emuPath);
    return cmd;
}

bool CheckFolderExists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace kl
