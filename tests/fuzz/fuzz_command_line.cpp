// The command line from arbitrary folders and names: every part arrives in the argument
// vector unchanged, and the shown string is made of the same parts.
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "launch/command_line.h"
#include "launch/parameter_string.h"

namespace {

std::vector<std::string> words(const std::string& parameters)
{
    std::vector<std::string> out;
    std::size_t pos = 0;
    while ((pos = parameters.find_first_not_of(' ', pos)) != std::string::npos) {
        const std::size_t end = parameters.find(' ', pos);
        out.push_back(parameters.substr(pos, end - pos));
        pos = end;
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Three parts split at NUL (which no Linux path holds), then option bits for the switches.
    std::string parts[3];
    std::size_t part = 0, i = 0;
    for (; i < size && part < 3; ++i) {
        if (data[i] == 0)
            ++part;
        else
            parts[part] += static_cast<char>(data[i]);
    }
    kl::EmulatorSettings settings;
    kl::resetEmulatorDefaults(settings);
    for (int k = 1; k <= 6 && i < size; ++k, ++i)
        if (data[i] & 1)
            settings.setOption(kl::opt3DMode(k), true);
    const std::string parameters = kl::BuildParameterString(settings);
    const std::string& emu = parts[0];
    const std::string& rom = parts[1];
    const std::string& name = parts[2];

    for (const kl::PathStyle style : {kl::kPosixStyle, kl::kWindowsStyle}) {
        // What starts uses the folders as typed; the shown string drops their trailing blanks,
        // and the two agree wherever a folder does not end in one.
        const kl::LaunchCommand cmd = kl::emulatorLaunchCommand(emu, rom, name, parameters, style);
        fuzz::require(cmd.program == kl::joinPath(emu, kl::kEmulatorName, style));
        fuzz::require(!cmd.arguments.empty() && cmd.arguments[0] == kl::joinPath(rom, name, style));
        fuzz::require(cmd.workingDirectory == emu);
        const std::vector<std::string> switches(cmd.arguments.begin() + 1, cmd.arguments.end());
        fuzz::require(switches == words(parameters));
        const std::string shown = kl::EmulatorCommandLine(emu, rom, name, parameters, style);
        fuzz::require(shown == kl::emulatorPart(emu, style) + '"' + kl::romFolderPart(rom, style) + name + '"' + parameters);
        if (kl::trimTrailingBlanks(emu) == emu && kl::trimTrailingBlanks(rom) == rom)
            fuzz::require(shown == cmd.program + ' ' + '"' + cmd.arguments[0] + '"' + parameters);

        const kl::LaunchCommand wine = kl::wineLaunchCommand(cmd, "/usr/bin/wine");
        fuzz::require(wine.arguments.size() == cmd.arguments.size() + 1 && wine.arguments[0] == cmd.program);
        fuzz::require(std::equal(cmd.arguments.begin() + 1, cmd.arguments.end(), wine.arguments.begin() + 2));
        fuzz::require(wine.arguments[1].size() == cmd.arguments[0].size() + 2);
        fuzz::require(wine.workingDirectory == cmd.workingDirectory);
    }
    return 0;
}
