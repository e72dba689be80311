// The colour pairs of the eight file-list themes.
#include "theme_colors.h"

#include <array>

namespace kl {

namespace {

constexpr std::array<ThemeColors, kThemeCount> kThemes{{
    {0x00004080, 0x00C0E0FF},  // Beach: brown on sand
    {0x00FFFFFF, 0x00C00000},  // C-64: white on blue
    {0x000000FF, 0x00000000},  // Gothic: red on black
    {0x0000FF00, 0x00000000},  // Matrix: green on black
    {0x00E0E0E0, 0x00404040},  // Retro: light grey on dark grey
    {0x00000080, 0x00FFC0FF},  // Romance: dark red on pink
    {0x00004000, 0x00C0FFC0},  // Spring: dark green on light green
    {0x00800000, 0x00C0FFFF},  // Summer: navy on light yellow
}};

}  // namespace

std::optional<ThemeColors> themeColors(int index)
{
    if (index < 1 || index > kThemeCount)
        return std::nullopt;
    return kThemes[static_cast<std::size_t>(index - 1)];
}

}  // namespace kl
