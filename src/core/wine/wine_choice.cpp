// The kept choice of Wine.
#include "wine_choice.h"

#include "../config/text_file.h"
#include "../paths.h"

namespace kl {

namespace {

constexpr std::string_view kVersionLine = "kalmora-launcher wine choice 1\n";
constexpr std::size_t kMaxFileSize = kVersionLine.size() + 2 * 4097;

}  // namespace

std::string wineChoicePath(const ConfigLocation& location)
{
    return joinAlways(location.folder, kWineChoiceName, kNativeStyle);
}

std::string formatWineChoice(const std::optional<WineChoice>& choice)
{
    std::string bytes(kVersionLine);
    if (choice) {
        bytes += choice->program;
        bytes += '\0';
        bytes += choice->name;
        bytes += '\0';
    }
    return bytes;
}

std::optional<WineChoice> parseWineChoice(std::string_view bytes, bool& damaged)
{
    damaged = false;
    if (bytes.empty())
        return std::nullopt;
    damaged = true;
    if (!bytes.starts_with(kVersionLine))
        return std::nullopt;
    bytes.remove_prefix(kVersionLine.size());
    if (bytes.empty()) {
        damaged = false;
        return std::nullopt;
    }
    const std::size_t first = bytes.find('\0');
    if (first == std::string_view::npos || first == 0 || bytes.front() != '/')
        return std::nullopt;
    const std::size_t second = bytes.find('\0', first + 1);
    if (second == std::string_view::npos || second + 1 != bytes.size())
        return std::nullopt;
    damaged = false;
    return WineChoice{std::string(bytes.substr(0, first)), std::string(bytes.substr(first + 1, second - first - 1))};
}

StartEnvironment startEnvironmentFor(const ConfigLocation& location)
{
    StartEnvironment environment = currentStartEnvironment();
    if (const auto choice = loadWineChoice(location)) {
        environment.chosenWine = choice->program;
        environment.chosenWineName = choice->name;
    }
    return environment;
}

std::optional<WineChoice> loadWineChoice(const ConfigLocation& location)
{
    bool damaged = false;
    const auto bytes = readWholeFile(wineChoicePath(location), kMaxFileSize);
    return bytes ? parseWineChoice(*bytes, damaged) : std::nullopt;
}

bool keepWineChoice(const ConfigLocation& location, const std::optional<WineChoice>& choice)
{
    if (choice && (choice->program.empty() || choice->program.front() != '/'
                   || choice->program.find('\0') != std::string::npos || choice->name.find('\0') != std::string::npos))
        return false;
    if (!location.prepareForSave())
        return false;
    return changeStateFile(wineChoicePath(location), kMaxFileSize, [&](const StateRead& read) {
        StateChange changed;
        bool damaged = false;
        if (read.status == StateRead::Status::Read)
            parseWineChoice(read.bytes, damaged);
        changed.damaged = damaged || read.status == StateRead::Status::TooLarge;
        changed.content = formatWineChoice(choice);
        return changed;
    });
}

}  // namespace kl
