// Composition of the emulator command line and of the argument vector the launch starts.
#include "command_line.h"

#include <unistd.h>

#include "../file_kind.h"

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
    // Linux keeps a blank at the end of a folder's name, so what starts uses the folder texts
    // as typed (the shown command line drops such blanks, as Windows does).
    LaunchCommand cmd;
    cmd.program = joinPath(emuPath, kEmulatorName, style);
    cmd.arguments.push_back(joinPath(romPath, fileName, style));
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
    cmd.workingDirectory = std::string(emuPath);
    return cmd;
}

bool isWindowsExecutable(const std::string& path)
{
    const int fd = openRegularFile(path);
    if (fd < 0)
        return false;
    char mark[2] = {};
    const bool isMz = ::read(fd, mark, 2) == 2 && mark[0] == 'M' && mark[1] == 'Z';
    ::close(fd);
    return isMz;
}

std::optional<std::string> findOnPath(std::string_view name, std::string_view pathList, ProgramKind kind)
{
    if (name.empty() || name.find('/') != std::string_view::npos)
        return std::nullopt;
    std::size_t start = 0;
    while (start <= pathList.size()) {
        std::size_t end = pathList.find(':', start);
        if (end == std::string_view::npos)
            end = pathList.size();
        const std::string folder(pathList.substr(start, end - start));
        const std::string candidate = folder + '/' + std::string(name);
        if (!folder.empty() && folder.front() == '/'
            && (isExecutableFile(candidate) || (kind == ProgramKind::ExecutableOrWindows && isWindowsExecutable(candidate))))
            return candidate;
        start = end + 1;
    }
    return std::nullopt;
}

std::string wineDrivePath(std::string_view absolutePath)
{
    std::string path = "Z:";
    path.reserve(absolutePath.size() + 2);
    for (char c : absolutePath)
        path += c == '/' ? '\\' : c;
    return path;
}

LaunchCommand wineLaunchCommand(const LaunchCommand& native, std::string_view wine)
{
    LaunchCommand cmd;
    cmd.program = std::string(wine);
    cmd.arguments.push_back(native.program);
    for (std::size_t i = 0; i < native.arguments.size(); ++i)
        cmd.arguments.push_back(i == 0 ? wineDrivePath(native.arguments[0]) : native.arguments[i]);
    cmd.workingDirectory = native.workingDirectory;
    return cmd;
}

bool CheckFolderExists(const std::string& path) { return fileKind(path) == FileKind::Folder; }

}  // namespace kl
