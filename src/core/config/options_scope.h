// Which options the window's controls show: the window's own, or the own options of the
// selected game. The window hands in what its controls hold and shows what comes back; the
// rules of when a game's file is read, written or forgotten, and what Settings.ini keeps,
// live here.
#pragma once

#include <optional>
#include <string>

#include "../launch/emulator_settings.h"
#include "config_location.h"
#include "game_options.h"

namespace kl {

enum class SaveOutcome { NoGameShown, Saved, Failed };
enum class ForgetResult { NothingKept, Forgotten, Failed };
struct ForgetOutcome {
    ForgetResult result = ForgetResult::NothingKept;
    std::optional<EmulatorSettings> show;  // what the controls are to show instead
};

class OptionsScope {
public:
    explicit OptionsScope(ConfigLocation location) : m_location(std::move(location)) {}

    const ConfigLocation& location() const { return m_location; }
    // The game whose own options the controls show; empty while they show the window's.
    const std::string& gameShown() const { return m_game; }
    bool shows(std::string_view name) const { return !m_game.empty() && m_game == name; }

    // The list's selection is now `name` (empty: nothing selected). The record the controls
    // are to show instead of `shown`, when that changes: the game's own options, or the
    // window's back once a game without them (or nothing) is selected.
    std::optional<EmulatorSettings> select(const std::string& name, const EmulatorSettings& shown);
    // The user changed an option: a shown game's file takes the controls.
    SaveOutcome changed(const EmulatorSettings& shown);
    // The game's file takes the controls, which from now on show the game's options.
    KeepResult keep(const std::string& name, const EmulatorSettings& shown);
    // The game's file goes; the controls show the window's options again if they showed it.
    ForgetOutcome forget(const std::string& name, const EmulatorSettings& shown);
    // A ROM file renamed or deleted through the window takes its options along.
    void renamed(const std::string& oldName, const std::string& newName);
    void deleted(const std::string& name);

    // The window's options, which Settings.ini keeps: the controls', or what they held before
    // a game's were shown in them. The paths are always the controls': they belong to the
    // window whatever is shown, and may have changed meanwhile.
    EmulatorSettings windowOptions(const EmulatorSettings& shown) const;
    // A game's own options with the controls' paths; nothing when it has none (or a damaged file).
    std::optional<EmulatorSettings> gameOptions(const std::string& name, const EmulatorSettings& shown) const;
    // What a game starts with: its own options, else the window's.
    EmulatorSettings optionsFor(const std::string& name, const EmulatorSettings& shown) const;
    // The game's file, for messages; empty for a name that cannot have one.
    std::string gameFile(const std::string& name) const;

private:
    std::optional<EmulatorSettings> showWindowOptions(const EmulatorSettings& shown);

    ConfigLocation m_location;
    std::string m_game;
    std::optional<EmulatorSettings> m_window;  // the window's options, kept aside while a game's are shown
};

}  // namespace kl
