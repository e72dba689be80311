// The eight colour themes of the file list and the two desktop colours of "&Default".
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace kl {

// Colours are 0x00BBGGRR, red in the lowest byte; a value with the top bit set names a
// system colour by the number in its low byte.
struct ThemeColors {
    std::uint32_t text;
    std::uint32_t background;
};

inline constexpr std::uint32_t kSystemWindowText = 0x80000008;        // system colour 8
inline constexpr std::uint32_t kSystemWindowBackground = 0x80000005;  // system colour 5
inline constexpr int kThemeCount = 8;

// Theme 1 to 8; nothing for any other index.
std::optional<ThemeColors> themeColors(int index);
// "&Default": the desktop's window text and window background.
constexpr ThemeColors defaultColors() { return {kSystemWindowText, kSystemWindowBackground}; }

constexpr bool isSystemColor(std::uint32_t value) { return (value & 0x80000000u) != 0; }
constexpr int systemColorNumber(std::uint32_t value) { return static_cast<int>(value & 0xFFu); }
constexpr int red(std::uint32_t bgr) { return static_cast<int>(bgr & 0xFF); }
constexpr int green(std::uint32_t bgr) { return static_cast<int>((bgr >> 8) & 0xFF); }
constexpr int blue(std::uint32_t bgr) { return static_cast<int>((bgr >> 16) & 0xFF); }

}  // namespace kl
