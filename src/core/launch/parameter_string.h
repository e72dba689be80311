// Turns the emulator options into the run of switches that follows the ROM path.
#pragma once

#include <string>

#include "emulator_settings.h"

namespace kl {

// Up to 18 fragments in a fixed order, each beginning with one blank.
std::string BuildParameterString(const EmulatorSettings& settings);

}  // namespace kl
