// Composing and planning the start of the emulator, shared by the window and the command line.
#include "launch_plan.h"

#include <cstdlib>
#include <unistd.h>

#include "../file_kind.h"
#include "parameter_string.h"

namespace kl {

std::string currentFolder()
{
    std::string folder;
    if (char* cwd = ::getcwd(nullptr, 0)) {
        folder = cwd;
        std::free(cwd);
    }
    return folder;
}

StartEnvironment currentStartEnvironment()
{
    StartEnvironment environment;
    environment.currentFolder = currentFolder();
    if (const char* path = std::getenv("PATH"))
        environment.path = path;
    if (const char* wine = std::getenv("WINE"); wine && *wine)
        environment.wine = wine;
    return environment;
}

LaunchCommand composeLaunch(const EmulatorSettings& settings, std::string_view romFolder, std::string_view fileName)
{
    return emulatorLaunchCommand(settings.text(Field::txtEmuPath), romFolder, fileName,
                                 BuildParameterString(settings), kNativeStyle);
}

std::string absoluteAgainst(std::string_view path, std::string_view folder)
{
    if (!path.empty() && path.front() == '/')
        return std::string(path);
    std::string result(folder);
    if (result.empty() || result.back() != '/')
        result += '/';
    result += path;
    return result;
}

namespace {

std::optional<std::string> findWine(const StartEnvironment& environment)
{
    if (!environment.wine)
        return findOnPath("wine", environment.path);
    const std::string& wine = *environment.wine;
    if (wine.find('/') == std::string::npos)
        return findOnPath(wine, environment.path);
    const std::string absolute = absoluteAgainst(wine, environment.currentFolder);
    if (isExecutableFile(absolute))
        return absolute;
    return std::nullopt;
}

}  // namespace

StartPlan planStart(LaunchCommand command, const StartEnvironment& environment)
{
    const std::string& here = environment.currentFolder;
    StartPlan plan;
    std::optional<std::string> program;
    if (command.program.find('/') != std::string::npos)
        program = absoluteAgainst(command.program, here);
    else
        program = findOnPath(command.program, environment.path, ProgramKind::ExecutableOrWindows);
    if (!command.arguments.empty())
        command.arguments[0] = absoluteAgainst(command.arguments[0], here);
    command.workingDirectory =
        command.workingDirectory.empty() ? here : absoluteAgainst(command.workingDirectory, here);
    if (program)
        command.program = *program;
    if (!program) {
        plan.problem = StartProblem::EmulatorNotFound;
        plan.command = std::move(command);
        return plan;
    }
    if (isWindowsExecutable(command.program)) {
        const auto wine = findWine(environment);
        if (!wine) {
            plan.problem = StartProblem::WineNotFound;
            return plan;
        }
        command = wineLaunchCommand(command, *wine);
    }
    plan.command = std::move(command);
    return plan;
}

}  // namespace kl
