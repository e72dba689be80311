#include "wine_ready.h"

#include <cstdlib>

#include "../file_kind.h"
#include "../paths.h"
#include "process.h"

namespace kl {

namespace {

// The server of the same Wine installation: the one WINESERVER names (as Wine itself honours
// it), else the one beside what the wine program is once links are followed (a ~/bin/wine
// linking to /opt/wine-10/bin/wine is that Wine, whatever else lies in ~/bin), else the one
// beside the wine program as found. A server from another installation would refuse that
// Wine's programs, so none is looked for elsewhere.
std::optional<std::string> wineServerFor(const std::string& wine, const StartEnvironment& environment)
{
    if (!environment.wineServer.empty())
        return isExecutableFile(environment.wineServer) ? std::optional(environment.wineServer) : std::nullopt;
    if (char* real = ::realpath(wine.c_str(), nullptr)) {
        const std::string besideReal = joinAlways(splitPath(real).folder, "wineserver", kNativeStyle);
        std::free(real);
        if (isExecutableFile(besideReal))
            return besideReal;
    }
    const std::string beside = joinAlways(splitPath(wine).folder, "wineserver", kNativeStyle);
    if (isExecutableFile(beside))
        return beside;
    return std::nullopt;
}

}  // namespace

std::optional<WineWarmUp> planWineWarmUp(const EmulatorSettings& options, const StartEnvironment& environment)
{
    if (!environment.wineReady)
        return std::nullopt;
    const std::string emulator = joinPath(options.text(Field::txtEmuPath), kEmulatorName, kNativeStyle);
    const auto program = findEmulator(emulator, environment);
    if (!program || !isWindowsExecutable(*program))
        return std::nullopt;
    const auto wine = findWine(environment);
    if (!wine)
        return std::nullopt;
    const std::string prefix = !environment.winePrefix.empty() ? environment.winePrefix
                               : environment.home.empty()      ? std::string()
                                                               : joinAlways(environment.home, ".wine", kNativeStyle);
    if (prefix.empty() || fileKind(joinAlways(prefix, "system.reg", kNativeStyle)) != FileKind::Regular)
        return std::nullopt;
    const auto server = wineServerFor(*wine, environment);
    if (!server)
        return std::nullopt;
    // The environment a launch gives Wine, so that the server found is the launch's own.
    const std::vector<EnvironmentChange> locale = wineLocaleChanges(environment.locale);
    // Started in the root, so that nothing of it touches the folder the launcher runs in.
    return WineWarmUp{{*server, {"-p" + std::to_string(kWineServerSeconds)}, "/", locale},
                      {*wine, {"rundll32.exe"}, "/", locale}};
}

void makeWineReady(const WineWarmUp& warmUp)
{
    // The program must follow the server however long that takes to listen (a server no
    // program ever connects to stays for good), and the launcher must be free to end at any
    // time: so both run in a process of their own, and the server's own time bounds the wait.
    startDetachedChain(warmUp.server, kWineServerSeconds, warmUp.program);
}

}  // namespace kl
