// The help documents beside the program and the three web addresses of the About tab.
#pragma once

#include <array>
#include <string_view>

namespace kl {

inline constexpr std::string_view kReadmeDocument = "Docs/Readme.txt";
inline constexpr std::string_view kHistoryDocument = "Docs/History.txt";

// Index 1 the launcher's home, 2 the emulator's home, 3 the preservation community.
inline constexpr std::array<std::string_view, 3> kWebAddresses{
    "https://kalmora-launcher.example.org/",
    "https://kalmora-boy.example.org/",
    "https://vb-archivists.example.net/",
};
inline constexpr std::string_view kCommunityName = "The Virtual Boy Archivists";
inline constexpr std::string_view kEmulatorAuthor = "Ilse Varga";
inline constexpr std::string_view kLauncherCredit = "2026 by Tomas Reinholt";

}  // namespace kl
