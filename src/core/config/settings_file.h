// Settings.ini: the 30 positional lines that keep the emulator options and both paths.
#pragma once

#include <string>

#include "../launch/emulator_settings.h"

namespace kl {

inline constexpr int kSettingsLineCount = kFieldCount;
// No folder path is longer; a longer line is a damaged file, not a path to keep.
inline constexpr std::size_t kMaxSettingsLine = 32767;

// The file's text for a record: 30 lines ended by CR LF.
std::string formatSettingsFile(const EmulatorSettings& settings);

// The lines from the given one (0-based) to the last, in the file's form.
std::string formatSettingsLines(const EmulatorSettings& settings, int firstLine);

// Applies the file's lines to the record in canonical order and stops at the first failure
// (no file, too few lines, a bad value); then every field but the paths takes its default,
// while a path line already read keeps its value. Returns true when all 30 lines applied.
bool loadSettingsFile(const std::string& path, EmulatorSettings& settings);

// Applies one line to its field with the conversion of its kind; false for a bad value.
bool applySettingsLine(EmulatorSettings& settings, Field field, const std::string& line);

// False when the file could not be written completely; the old file is then left whole.
bool saveSettingsFile(const std::string& path, const EmulatorSettings& settings);

}  // namespace kl
