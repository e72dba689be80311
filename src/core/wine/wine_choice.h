// The Wine the user chose for Windows emulators, kept in a file of its own beside the options
// (never in Settings.ini or GUI.ini), changed as the other state files are.
#pragma once

#include <optional>
#include <string>

#include "../config/config_location.h"
#include "../launch/launcher.h"

namespace kl {

inline constexpr std::string_view kWineChoiceName = "wine-choice";

struct WineChoice {
    std::string program;  // the chosen build's wine or proton
    std::string name;     // its name with where it came from, to say which has gone
    bool operator==(const WineChoice&) const = default;
};

std::string wineChoicePath(const ConfigLocation& location);
// The choice; nothing for automatic, and for a file that is missing or cannot be understood.
std::optional<WineChoice> loadWineChoice(const ConfigLocation& location);
// Keeps the choice (nothing: automatic). False when it could not be written.
bool keepWineChoice(const ConfigLocation& location, const std::optional<WineChoice>& choice);

// The process's own surroundings, with the Wine this copy's user chose.
StartEnvironment startEnvironmentFor(const ConfigLocation& location);

// The file's bytes: a version line, then the program and the name, each ended by a NUL byte
// (a path may hold any byte but NUL); automatic is the version line alone.
std::string formatWineChoice(const std::optional<WineChoice>& choice);
// Nothing for automatic; a file that is not of this form is damaged (`damaged` set).
std::optional<WineChoice> parseWineChoice(std::string_view bytes, bool& damaged);

}  // namespace kl
