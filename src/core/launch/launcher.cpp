// Composing and planning the start of the emulator, for the window and the command line alike.
#include "launcher.h"

#include <cstdlib>
#include <unistd.h>

#include "../file_kind.h"
#include "../paths.h"
#include "parameter_string.h"
#include "process.h"

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
    environment.locale = currentLocaleVariables();
    if (const char* prefix = std::getenv("WINEPREFIX"))
        environment.winePrefix = prefix;
    if (const char* server = std::getenv("WINESERVER"))
        environment.wineServer = server;
    if (const char* home = std::getenv("HOME"))
        environment.home = home;
    if (const char* ready = std::getenv("KALMORA_WINE_READY"))
        environment.wineReady = std::string_view(ready) != "0";
    return environment;
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

std::optional<std::string> findEmulator(const std::string& program, const StartEnvironment& environment)
{
    if (program.find('/') != std::string::npos)
        return absoluteAgainst(program, environment.currentFolder);
    return findOnPath(program, environment.path, ProgramKind::ExecutableOrWindows);
}

LaunchPlan planStart(LaunchCommand command, const StartEnvironment& environment)
{
    const std::string& here = environment.currentFolder;
    LaunchPlan plan;
    const std::optional<std::string> program = findEmulator(command.program, environment);
    if (!command.arguments.empty())
        command.arguments[0] = absoluteAgainst(command.arguments[0], here);
    command.workingDirectory =
        command.workingDirectory.empty() ? here : absoluteAgainst(command.workingDirectory, here);
    if (program)
        command.program = *program;
    if (!program) {
        plan.problem = LaunchProblem::EmulatorNotFound;
        plan.command = std::move(command);
        return plan;
    }
    if (isWindowsExecutable(command.program)) {
        const auto wine = findWine(environment);
        if (!wine) {
            plan.problem = LaunchProblem::WineNotFound;
            return plan;
        }
        std::vector<EnvironmentChange> locale = wineLocaleChanges(environment.locale);
        if (!command.arguments.empty()) {
            // Asked only where Wine's own version decides a short name, once.
            std::optional<std::optional<ShortNameRule>> rule;
            const auto ruleOfWine = [&]() {
                if (!rule) {
                    const auto version = outputOf({*wine, {"--version"}, "/", locale});
                    rule = version ? shortNameRuleOfVersion(*version) : std::nullopt;
                }
                return *rule;
            };
            plan.windowsPath =
                windowsPathFor(command.arguments[0], wineAnsiCharacters(environment.locale, locale), ruleOfWine);
            if (plan.windowsPath.refusal != WindowsPath::Refusal::None) {
                plan.problem = LaunchProblem::NoWindowsPath;
                plan.command = std::move(command);
                return plan;
            }
        }
        command = wineLaunchCommand(command, *wine);
        if (!plan.windowsPath.path.empty())
            command.arguments[1] = plan.windowsPath.path;
        command.environment = std::move(locale);
    }
    plan.command = std::move(command);
    return plan;
}

std::string launchProblemText(LaunchProblem problem, std::string_view file)
{
    switch (problem) {
    case LaunchProblem::None: break;
    case LaunchProblem::FileMissing: return "File \"" + std::string(file) + "\" was not found.";
    case LaunchProblem::EmulatorNotFound:
        return "Emulator \"kalmora_boy.exe\" was not found. Please set the correct path to it on the \"Paths\" "
               "register.";
    case LaunchProblem::WineNotFound:
        return "Emulator \"kalmora_boy.exe\" is a Windows program and Wine was not found. Please install Wine to "
               "run it.";
    case LaunchProblem::NoWindowsPath: return "File \"" + std::string(file) + "\" cannot be opened by the Windows emulator.";
    case LaunchProblem::PatchRefused: break;  // the plan's own text
    }
    return {};
}

std::string launchProblemText(const LaunchPlan& plan, std::string_view file)
{
    if (plan.problem == LaunchProblem::PatchRefused)
        return plan.refusal;
    std::string text = launchProblemText(plan.problem, file);
    if (plan.problem != LaunchProblem::NoWindowsPath)
        return text;
    const WindowsPath& refused = plan.windowsPath;
    const std::string name = '"' + refused.name + '"';
    switch (refused.refusal) {
    case WindowsPath::Refusal::None: break;
    case WindowsPath::Refusal::NoWindowsName:
        text += " Windows names cannot hold a backslash or a control character, and " + name
                + " holds one. Please rename it.";
        break;
    case WindowsPath::Refusal::SharedShortName:
        text += " Wine gives " + name + " and \"" + refused.other
                + "\" in the same folder the same short name, and could open the other one. Please rename one of them.";
        break;
    case WindowsPath::Refusal::NoShortName:
        text += " Wine has no name for " + name + " that a Windows program could open. Please rename it.";
        break;
    case WindowsPath::Refusal::UnreadableFolder:
        text += " Wine reaches " + name + " only by its short name, and the folder \"" + refused.other
                + "\" cannot be read to find it. Please make the folder readable, or rename the file.";
        break;
    }
    return text;
}

LaunchPlan planLaunch(const EmulatorSettings& options, std::string_view romFolder, std::string_view fileName,
                      const StartEnvironment& environment, const PatchPlace& patches)
{
    std::string folder(romFolder), name(fileName);
    LaunchPlan patched;
    const std::string rom = absoluteAgainst(joinPath(romFolder, fileName, kNativeStyle), environment.currentFolder);
    if (const auto game = examinePatch(rom)) {
        patched.refusal = patchRefusalText(*game, patches.catalogues);
        if (game->outcome.status == PatchOutcome::Status::Applied) {
            const auto copy = keepPatchedCopy(*game, patches.folder);
            if (!copy)
                patched.refusal = patchCopyFailureText(*game, patches.folder);
            else {
                const PathParts parts = splitPath(*copy);
                folder = parts.folder;
                name = parts.name;
                patched.patchName = game->patchName;
                patched.playKey = game->resultSha1;
            }
        }
        if (!patched.refusal.empty()) {
            patched.problem = LaunchProblem::PatchRefused;
            return patched;
        }
    }
    LaunchPlan plan = planStart(emulatorLaunchCommand(options.text(Field::txtEmuPath), folder, name,
                                                      BuildParameterString(options), kNativeStyle),
                                environment);
    plan.patchName = std::move(patched.patchName);
    plan.playKey = patched.playKey;
    return plan;
}

LaunchPlan failedPlan(LaunchProblem problem)
{
    LaunchPlan plan;
    plan.problem = problem;
    return plan;
}

bool isExistingFile(const std::string& path) { return fileKind(path) == FileKind::Regular; }

LaunchPlan planFileLaunch(const EmulatorSettings& options, const std::string& absoluteFile,
                          const StartEnvironment& environment, const PatchPlace& patches)
{
    if (!isExistingFile(absoluteFile))
        return failedPlan(LaunchProblem::FileMissing);
    const PathParts rom = splitPath(absoluteFile);
    return planLaunch(options, rom.folder, rom.name, environment, patches);
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
    std::string text;
    if (!command.environment.empty()) {
        // env takes its options before the assignments.
        text = "env";
        for (const EnvironmentChange& change : command.environment)
            if (!change.value)
                text += " -u " + shellWord(change.name);
        for (const EnvironmentChange& change : command.environment)
            if (change.value)
                text += ' ' + shellWord(change.name + '=' + *change.value);
        text += ' ';
        // env would take a program path holding "=" for one more assignment.
        if (command.program.find('=') != std::string::npos)
            text += "sh -c 'exec \"$0\" \"$@\"' ";
    }
    text += shellWord(command.program);
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
