#include "wine_ready.h"

#include <cstdlib>

#include "../file_kind.h"
#include "../paths.h"
#include "process.h"

namespace kl {

namespace {

// The server of the same Wine installation: the one WINESERVER names (as Wine itself honours
// it), else the one beside the wine program or beside what a link to it names. A server from
// another installation would refuse that Wine's programs, so none is looked for elsewhere.
std::optional<std::string> wineServerFor(const std::string& wine, const StartEnvironment& environment)
{
    if (!environment.wineServer.empty())
        return isExecutableFile(environment.wineServer) ? std::optional(environment.wineServer) : std::nullopt;
    const std::string beside = joinAlways(splitPath(wine).folder, "wineserver", kNativeStyle);
    if (isExecutableFile(beside))
        return beside;
    std::optional<std::string> besideReal;
    if (char* real = ::realpath(wine.c_str(), nullptr)) {
        const std::string candidate = joinAlways(splitPath(real).folder, "wineserver", kNativeStyle);
        std::free(real);
        if (isExecutableFile(candidate))
            besideReal = candidate;
    }
    return besideReal;
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
    runQuietly(warmUp.server);
    // The program must follow: a server no program ever connects to stays for good.
    startDetached(warmUp.program, Streams::Null);
}

}  // namespace kl
