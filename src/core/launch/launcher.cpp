// Composing and planning the start of the emulator, for the window and the command line alike.
#include "launcher.h"

#include <cstdlib>
#include <unistd.h>

#include "../config/config_location.h"
#include "../config/text_file.h"
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
    if (const char* data = std::getenv("XDG_DATA_HOME"))
        environment.xdgDataHome = data;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"))
        environment.xdgConfigHome = config;
    if (const char* compatData = std::getenv("STEAM_COMPAT_DATA_PATH"))
        environment.steamCompatDataPath = compatData;
    if (const char* client = std::getenv("STEAM_COMPAT_CLIENT_INSTALL_PATH"))
        environment.steamCompatClientInstallPath = client;
    return environment;
}

WineSearch wineSearchOf(const StartEnvironment& environment)
{
    return {environment.home, environment.xdgDataHome, environment.xdgConfigHome};
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

WineToUse fromBuild(const WineBuild& build, WineToUse::From from)
{
    WineToUse wine;
    wine.from = from;
    wine.program = build.program;
    wine.kind = build.kind;
    wine.name = build.name;
    wine.folder = build.folder;
    wine.steamRoot = build.steamRoot;
    return wine;
}

// The program WINE names, made absolute; nothing where it is not there.
std::optional<std::string> wineVariableProgram(const StartEnvironment& environment)
{
    const std::string& wine = *environment.wine;
    if (wine.find('/') == std::string::npos)
        return findOnPath(wine, environment.path);
    const std::string absolute = absoluteAgainst(wine, environment.currentFolder);
    if (isExecutableFile(absolute))
        return absolute;
    return std::nullopt;
}

}  // namespace

std::optional<WineToUse> chooseWine(const StartEnvironment& environment)
{
    // The folders are read only where nothing before them decides.
    if (environment.wine)
        return chooseWine(environment, {});
    return chooseWine(environment, findWineBuilds(wineSearchOf(environment)));
}

std::optional<WineToUse> chooseWine(const StartEnvironment& environment, const std::vector<WineBuild>& builds)
{
    if (environment.wine) {
        const auto program = wineVariableProgram(environment);
        if (!program)
            return std::nullopt;
        WineToUse wine;
        wine.from = WineToUse::From::Variable;
        wine.program = *program;
        if (splitPath(*program).name == "proton") {
            wine.kind = WineKind::Proton;
            wine.folder = splitPath(realPath(*program)).folder;
            std::vector<WineBuild> found = builds;
            if (found.empty())
                found = findWineBuilds(wineSearchOf(environment));
            for (const WineBuild& build : found)
                if (build.folder == wine.folder)
                    wine.steamRoot = build.steamRoot;
        }
        return wine;
    }
    std::string gone;
    if (!environment.chosenWine.empty()) {
        for (const WineBuild& build : builds)
            if (build.program == environment.chosenWine)
                return fromBuild(build, WineToUse::From::Chosen);
        gone = environment.chosenWineName.empty() ? environment.chosenWine : environment.chosenWineName;
    }
    std::optional<WineToUse> wine;
    if (const auto onPath = findOnPath("wine", environment.path)) {
        wine.emplace();
        wine->program = *onPath;
    } else if (!builds.empty())
        wine = fromBuild(builds.front(), WineToUse::From::Found);
    if (wine)
        wine->goneChoice = std::move(gone);
    return wine;
}

std::string wineNameOf(const WineToUse& wine) { return wine.name.empty() ? wine.program : wine.name; }

std::optional<std::optional<WineToUse>> wineOfStart(const EmulatorSettings& options, const StartEnvironment& environment)
{
    const std::string emulator = joinPath(options.text(Field::txtEmuPath), kEmulatorName, kNativeStyle);
    const auto program = findEmulator(emulator, environment);
    if (!program || !isWindowsExecutable(*program))
        return std::nullopt;
    return chooseWine(environment);
}

std::optional<std::string> findWine(const StartEnvironment& environment)
{
    const auto wine = chooseWine(environment);
    if (!wine || wine->kind != WineKind::Wine)
        return std::nullopt;
    return wine->program;
}

std::string protonDataFolder(const StartEnvironment& environment)
{
    const std::string& data = environment.xdgDataHome;
    const std::string base = !data.empty() && data.front() == '/' ? data
                                                                  : joinAlways(environment.home, ".local/share", kNativeStyle);
    return joinAlways(base, "kalmora-launcher/proton", kNativeStyle);
}

LaunchCommand protonLaunchCommand(const LaunchCommand& native, const WineToUse& proton,
                                  const StartEnvironment& environment, const std::optional<std::string>& umuRun,
                                  std::vector<EnvironmentChange> changes)
{
    LaunchCommand command = wineLaunchCommand(native, umuRun ? *umuRun : proton.program);
    const std::string data = environment.steamCompatDataPath ? *environment.steamCompatDataPath
                                                             : protonDataFolder(environment);
    if (umuRun) {
        // umu runs Proton inside Steam's runtime, as Steam does; it makes the prefix it is given.
        changes.push_back({"PROTONPATH", proton.folder});
        changes.push_back({"GAMEID", "umu-default"});
        changes.push_back({"WINEPREFIX", joinAlways(data, "pfx", kNativeStyle)});
    } else {
        command.arguments.insert(command.arguments.begin(), "run");
        // Proton makes its prefix, pfx/, in the data folder at its first start, and fails
        // where the client's folder is unset: outside Steam that is the empty string.
        if (!environment.steamCompatDataPath)
            changes.push_back({"STEAM_COMPAT_DATA_PATH", data});
        if (!environment.steamCompatClientInstallPath)
            changes.push_back({"STEAM_COMPAT_CLIENT_INSTALL_PATH", proton.steamRoot});
    }
    command.environment = std::move(changes);
    return command;
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
        const auto wine = chooseWine(environment);
        if (!wine) {
            plan.problem = LaunchProblem::WineNotFound;
            return plan;
        }
        plan.wineName = wineNameOf(*wine);
        plan.goneWineChoice = wine->goneChoice;
        const bool proton = wine->kind == WineKind::Proton;
        std::vector<EnvironmentChange> locale = wineLocaleChanges(environment.locale);
        if (!command.arguments.empty()) {
            // Asked only where Wine's own version decides a short name, once: a Proton build's
            // wine, else the Wine its version file names.
            std::optional<std::optional<ShortNameRule>> rule;
            const auto ruleOfWine = [&]() {
                if (!rule) {
                    const auto versionWine = proton ? protonWine(wine->folder) : std::optional(wine->program);
                    const auto version =
                        versionWine ? outputOf({*versionWine, {"--version"}, "/", locale}) : std::nullopt;
                    rule = version ? shortNameRuleOfVersion(*version) : std::nullopt;
                    if (!*rule && proton) {
                        const auto file = readWholeFile(joinAlways(wine->folder, "version", kNativeStyle), 4096);
                        const auto tag = file ? protonWineVersion(*file) : std::nullopt;
                        rule = tag ? shortNameRuleOfVersion(*tag) : std::nullopt;
                    }
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
        if (proton) {
            if (!environment.steamCompatDataPath)
                makeFolders(protonDataFolder(environment), 0700);
            const bool hasRom = !command.arguments.empty();
            const auto umuRun = findOnPath("umu-run", environment.path);
            command = protonLaunchCommand(command, *wine, environment, umuRun, std::move(locale));
            if (hasRom && !plan.windowsPath.path.empty())
                command.arguments[umuRun ? 1 : 2] = plan.windowsPath.path;
        } else {
            command = wineLaunchCommand(command, wine->program);
            if (!plan.windowsPath.path.empty())
                command.arguments[1] = plan.windowsPath.path;
            command.environment = std::move(locale);
        }
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
        return "Emulator \"kalmora_boy.exe\" is a Windows program and no Wine was found: not in WINE, not on the "
               "PATH, and not among the Wine and Proton builds of Steam, Lutris, Bottles and Heroic. Please install "
               "Wine to run it.";
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
