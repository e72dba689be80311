// The shared plan of a start from outside the window, and its shell form.
#include "file_launch.h"

#include "../file_kind.h"

namespace kl {

std::string fileNotFoundMessage(std::string_view path)
{
    return "File \"" + std::string(path) + "\" was not found.";
}

RomPath splitRomPath(std::string_view absolutePath)
{
    const std::size_t slash = absolutePath.find_last_of('/');
    if (slash == std::string_view::npos)
        return {"", std::string(absolutePath)};
    RomPath path{std::string(absolutePath.substr(0, slash)), std::string(absolutePath.substr(slash + 1))};
    if (path.folder.empty())
        path.folder = "/";
    return path;
}

bool isExistingFile(const std::string& path) { return fileKind(path) == FileKind::Regular; }

FileLaunchPlan planFileLaunch(const EmulatorSettings& options, const std::string& absoluteFile,
                              const StartEnvironment& environment)
{
    FileLaunchPlan plan;
    if (!isExistingFile(absoluteFile)) {
        plan.problem = FileLaunchProblem::FileMissing;
        return plan;
    }
    const RomPath rom = splitRomPath(absoluteFile);
    StartPlan start = planStart(composeLaunch(options, rom.folder, rom.name), environment);
    if (start.problem == StartProblem::WineNotFound)
        plan.problem = FileLaunchProblem::WineNotFound;
    else if (start.problem == StartProblem::EmulatorNotFound)
        plan.problem = FileLaunchProblem::EmulatorNotFound;
    plan.command = std::move(start.command);
    return plan;
}

std::string shellWord(std::string_view argument)
{
    const auto safe = [](unsigned char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
               || std::string_view("_@%+=:,./-").find(static_cast<char>(c)) != std::string_view::npos;
    };
    bool bare = !argument.empty();
    for (const char c : argument)
        bare = bare && safe(static_cast<unsigned char>(c));
    if (bare)
        return std::string(argument);
    std::string word = "'";
    for (const char c : argument) {
        if (c == '\'')
            word += "'\\''";
        else
            word += c;
    }
    word += '\'';
    return word;
}

std::string shellCommand(const LaunchCommand& command)
{
    std::string text = shellWord(command.program);
    for (const std::string& argument : command.arguments) {
        text += ' ';
        text += shellWord(argument);
    }
    text += "\ncd ";
    text += shellWord(command.workingDirectory);
    text += '\n';
    return text;
}

}  // namespace kl
