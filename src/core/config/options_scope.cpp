// The rules between the window's options and the games' own.
#include "options_scope.h"

#include "../file_kind.h"

namespace kl {

std::optional<EmulatorSettings> OptionsScope::select(const std::string& name, const EmulatorSettings& shown)
{
    if (shows(name))
        return std::nullopt;
    auto own = name.empty() ? std::nullopt : gameOptions(name, shown);
    if (!own)
        return showWindowOptions(shown);
    if (!m_window)
        m_window = shown;
    m_game = name;
    return own;
}

std::optional<EmulatorSettings> OptionsScope::showWindowOptions(const EmulatorSettings& shown)
{
    if (m_game.empty())
        return std::nullopt;
    EmulatorSettings window = windowOptions(shown);
    m_window.reset();
    m_game.clear();
    return window;
}

SaveOutcome OptionsScope::changed(const EmulatorSettings& shown)
{
    if (m_game.empty())
        return SaveOutcome::NoGameShown;
    return saveGameOptions(m_location, m_game, shown) == KeepResult::Kept ? SaveOutcome::Saved : SaveOutcome::Failed;
}

KeepResult OptionsScope::keep(const std::string& name, const EmulatorSettings& shown)
{
    const KeepResult result = saveGameOptions(m_location, name, shown);
    if (result != KeepResult::Kept)
        return result;
    if (!m_window)
        m_window = shown;
    m_game = name;
    return result;
}

ForgetOutcome OptionsScope::forget(const std::string& name, const EmulatorSettings& shown)
{
    const auto path = gameOptionsPath(m_location, name);
    if (!path || fileKind(*path) != FileKind::Regular)
        return {};
    if (!forgetGameOptions(m_location, name))
        return {ForgetResult::Failed, std::nullopt};
    return {ForgetResult::Forgotten, m_game == name ? showWindowOptions(shown) : std::nullopt};
}

void OptionsScope::renamed(const std::string& oldName, const std::string& newName)
{
    moveGameOptions(m_location, oldName, newName);
}

void OptionsScope::deleted(const std::string& name) { forgetGameOptions(m_location, name); }

EmulatorSettings OptionsScope::windowOptions(const EmulatorSettings& shown) const
{
    if (!m_window)
        return shown;
    EmulatorSettings options = *m_window;
    options.setText(Field::txtEmuPath, shown.text(Field::txtEmuPath));
    options.setText(Field::txtRomPath, shown.text(Field::txtRomPath));
    return options;
}

std::optional<EmulatorSettings> OptionsScope::gameOptions(const std::string& name, const EmulatorSettings& shown) const
{
    const auto path = gameOptionsPath(m_location, name);
    return path ? loadGameOptions(*path, shown) : std::nullopt;
}

EmulatorSettings OptionsScope::optionsFor(const std::string& name, const EmulatorSettings& shown) const
{
    return gameOptions(name, shown).value_or(windowOptions(shown));
}

std::string OptionsScope::gameFile(const std::string& name) const
{
    return gameOptionsPath(m_location, name).value_or("");
}

}  // namespace kl
