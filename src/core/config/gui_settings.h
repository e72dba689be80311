// GUI.ini and GuiSettings: the file-type, theme and minimise check marks of the menus.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace kl {

inline constexpr int kGuiLineCount = 14;

struct GuiSettings {
    // Canonical order: file types 1-4, themes 1-8, "&Default", "&Minimize on launch".
    std::array<bool, kGuiLineCount> ticks{true, false, false, false, false, false, false,
                                          false, false, false, false, false, true, false};

    bool& fileType(int index) { return ticks[static_cast<std::size_t>(index - 1)]; }
    bool fileType(int index) const { return ticks[static_cast<std::size_t>(index - 1)]; }
    bool& theme(int index) { return ticks[static_cast<std::size_t>(4 + index - 1)]; }
    bool theme(int index) const { return ticks[static_cast<std::size_t>(4 + index - 1)]; }
    bool& themeDefault() { return ticks[12]; }
    bool themeDefault() const { return ticks[12]; }
    bool& minimizeOnLaunch() { return ticks[13]; }
    bool minimizeOnLaunch() const { return ticks[13]; }

    bool operator==(const GuiSettings&) const = default;
};

void ResetGuiDefaults(GuiSettings& gui);

std::string formatGuiFile(const GuiSettings& gui);
// Sets the fields line by line and stops at the first failure: the fields read before it
// keep the file's values and the later ones keep what they held. True when all 14 applied.
bool loadGuiFile(const std::string& path, GuiSettings& gui);
bool saveGuiFile(const std::string& path, const GuiSettings& gui);

// The pattern the ticks give the file list: the highest ticked file type wins; with none
// ticked the list keeps its pattern (nothing returned).
std::optional<std::string_view> filePatternFor(const GuiSettings& gui);

// The colours the ticks give the list: 1 to 8 a theme, 0 the desktop's colours ("&Default"
// beats any theme), nothing when no colour item is ticked.
std::optional<int> themeFor(const GuiSettings& gui);

}  // namespace kl
