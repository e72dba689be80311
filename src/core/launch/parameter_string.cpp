// The emulator's switch vocabulary and the order in which the switches are emitted.
#include "parameter_string.h"

#include <array>
#include <string_view>
#include <utility>

namespace kl {

namespace {

struct Choice {
    std::string_view text;
    std::string_view fragment;
};

constexpr std::array<std::pair<Field, std::string_view>, 5> kDisplaySlot{{
    {Field::optWindow, " -display frame"},
    {Field::opt320x200, " -display 320"},
    {Field::opt640x480, " -display 640"},
    {Field::opt800x600, " -display 800"},
    {Field::opt1024x768, " -display 1024"},
}};

constexpr std::array<std::pair<Field, std::string_view>, 6> k3DModeSlot{{
    {Field::opt3DMode1, " -dspmode red_blue"},
    {Field::opt3DMode2, " -dspmode normal"},
    {Field::opt3DMode3, " -dspmode interlace"},
    {Field::opt3DMode4, " -dspmode over_under"},
    {Field::opt3DMode5, " -dspmode side"},
    {Field::opt3DMode6, " -dspmode cscope"},
}};

constexpr std::array<Choice, 5> kPaletteSlot{{
    {"Normal", " -pallet normal"},
    {"Red", " -pallet red"},
    {"Red-Blue", " -pallet rb"},
    {"Red-Green", " -pallet rg"},
    {"R.B.G.", " -pallet rbg"},
}};

constexpr std::array<Choice, 4> kControllerSlot{{
    {"Virtual Boy controller at LPT1 (0x378)", " -pport 1"},
    {"Virtual Boy controller at LPT2 (0x278)", " -pport 2"},
    {"Virtual Boy controller at LPT3 (0x3b8)", " -pport 3"},
    {"Virtual Boy controller at IBM (0x3bc)", " -pport 4"},
}};

// The on/off switches after the controller slot, in their order.
constexpr std::array<std::pair<Field, std::string_view>, 6> kTailSwitches{{
    {Field::chkForceTimer, " -ltimmer"},
    {Field::chkFixVF, " -vfhack"},
    {Field::chkDisplayFPS, " -status"},
    {Field::chkEnableDebug, " -debug"},
    {Field::chkGenerateDisam, " -disam"},
    {Field::chkOutputDebug, " -stdout"},
}};

// Later set options overwrite earlier ones, so with a broken group the last one tested wins.
template <std::size_t N>
std::string_view lastSetOption(const EmulatorSettings& s, const std::array<std::pair<Field, std::string_view>, N>& slot)
{
    std::string_view result;
    for (const auto& [field, fragment] : slot)
        if (s.option(field))
            result = fragment;
    return result;
}

template <std::size_t N>
std::string_view matchingChoice(const std::string& text, const std::array<Choice, N>& slot)
{
    for (const Choice& c : slot)
        if (text == c.text)
            return c.fragment;
    return {};
}

// Only the first character of the zoom and frame-skip texts is the value.
std::string firstCharacter(const std::string& text) { return text.substr(0, text.empty() ? 0 : 1); }

bool isOn(const EmulatorSettings& s, Field f) { return s.check(f) == 1; }

}  // namespace

std::string BuildParameterString(const EmulatorSettings& s)
{
    std::string out;
    out += lastSetOption(s, kDisplaySlot);
    if (isOn(s, Field::chkHStretch))
        out += " -hstretch";
    out += lastSetOption(s, k3DModeSlot);
    out += matchingChoice(s.text(Field::cmbPalette), kPaletteSlot);
    out += " -brite " + s.text(Field::cmbBrightness);
    if (isOn(s, Field::chkFlip))
        out += " -flip";
    out += " -sclscr " + firstCharacter(s.text(Field::cmbZoom));
    out += " -frmskp " + firstCharacter(s.text(Field::cmbFrameSkip));
    if (isOn(s, Field::chkNoThrottle))
        out += " -nothrtl";
    if (s.option(Field::optKeyLayout2))
        out += " -altkbd";
    if (isOn(s, Field::chkJoystick))
        out += " -joy";
    out += matchingChoice(s.text(Field::cmbVBController), kControllerSlot);
    for (const auto& [field, fragment] : kTailSwitches)
        if (isOn(s, field))
            out += fragment;
    return out;
}

}  // namespace kl
