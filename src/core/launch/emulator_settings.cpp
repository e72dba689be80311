// Field table, item lists and the group and list rules of the emulator options.
#include "emulator_settings.h"

#include <algorithm>

namespace kl {

namespace {

using K = FieldKind;
using G = OptionGroup;

constexpr std::array<FieldInfo, kFieldCount> kFields{{
    {Field::txtEmuPath, "txtEmuPath", K::Text, G::None, 0},
    {Field::txtRomPath, "txtRomPath", K::Text, G::None, 0},
    {Field::optWindow, "optWindow", K::Option, G::DisplayMode, 0},
    {Field::opt320x200, "opt320x200", K::Option, G::DisplayMode, 0},
    {Field::opt640x480, "opt640x480", K::Option, G::DisplayMode, 0},
    {Field::opt800x600, "opt800x600", K::Option, G::DisplayMode, 0},
    {Field::opt1024x768, "opt1024x768", K::Option, G::DisplayMode, 0},
    {Field::chkHStretch, "chkHStretch", K::Check, G::None, 0},
    {Field::opt3DMode1, "opt3DMode", K::Option, G::Mode3D, 1},
    {Field::opt3DMode2, "opt3DMode", K::Option, G::Mode3D, 2},
    {Field::opt3DMode3, "opt3DMode", K::Option, G::Mode3D, 3},
    {Field::opt3DMode4, "opt3DMode", K::Option, G::Mode3D, 4},
    {Field::opt3DMode5, "opt3DMode", K::Option, G::Mode3D, 5},
    {Field::opt3DMode6, "opt3DMode", K::Option, G::Mode3D, 6},
    {Field::cmbPalette, "cmbPalette", K::ListChoice, G::None, 0},
    {Field::cmbBrightness, "cmbBrightness", K::ListChoice, G::None, 0},
    {Field::chkFlip, "chkFlip", K::Check, G::None, 0},
    {Field::cmbZoom, "cmbZoom", K::ListChoice, G::None, 0},
    {Field::cmbFrameSkip, "cmbFrameSkip", K::ListChoice, G::None, 0},
    {Field::chkNoThrottle, "chkNoThrottle", K::Check, G::None, 0},
    {Field::optKeyLayout1, "optKeyLayout", K::Option, G::KeyLayout, 1},
    {Field::optKeyLayout2, "optKeyLayout", K::Option, G::KeyLayout, 2},
    {Field::chkJoystick, "chkJoystick", K::Check, G::None, 0},
    {Field::cmbVBController, "cmbVBController", K::ListChoice, G::None, 0},
    {Field::chkForceTimer, "chkForceTimer", K::Check, G::None, 0},
    {Field::chkFixVF, "chkFixVF", K::Check, G::None, 0},
    {Field::chkDisplayFPS, "chkDisplayFPS", K::Check, G::None, 0},
    {Field::chkEnableDebug, "chkEnableDebug", K::Check, G::None, 0},
    {Field::chkGenerateDisam, "chkGenerateDisam", K::Check, G::None, 0},
    {Field::chkOutputDebug, "chkOutputDebug", K::Check, G::None, 0},
}};

constexpr std::array<std::string_view, 2> kStandardPalettes{"Normal", "Red"};
constexpr std::array<std::string_view, 3> kRedBluePalettes{"Red-Blue", "Red-Green", "R.B.G."};

constexpr std::array<std::string_view, 30> kBrightness{
    "0.1", "0.2", "0.3", "0.4", "0.5", "0.6", "0.7", "0.8", "0.9", "1.0",
    "1.1", "1.2", "1.3", "1.4", "1.5", "1.6", "1.7", "1.8", "1.9", "2.0",
    "2.1", "2.2", "2.3", "2.4", "2.5", "2.6", "2.7", "2.8", "2.9", "3.0"};
constexpr std::array<std::string_view, 6> kZoom{"1x", "2x", "3x", "4x", "5x", "6x"};
constexpr std::array<std::string_view, 10> kFrameSkip{
    "0 f./sec.", "1 f./sec.", "2 f./sec.", "3 f./sec.", "4 f./sec.",
    "5 f./sec.", "6 f./sec.", "7 f./sec.", "8 f./sec.", "9 f./sec."};
constexpr std::array<std::string_view, 5> kControllers{
    "None connected to PC",
    "Virtual Boy controller at LPT1 (0x378)",
    "Virtual Boy controller at LPT2 (0x278)",
    "Virtual Boy controller at LPT3 (0x3b8)",
    "Virtual Boy controller at IBM (0x3bc)"};

constexpr std::array<std::string_view, kKeyPreviewRows> kKeyDescriptions{
    "Up / Down / Left / Right [Left]", "Up / Down / Left / Right [Right]", "L", "R", "A", "B", "Start", "Select"};
constexpr std::array<std::string_view, kKeyPreviewRows> kKeysLayout1{
    "Arrow keys", "F / V / C / B", "A", "S", "Z", "X", "Q", "W"};
constexpr std::array<std::string_view, kKeyPreviewRows> kKeysLayout2{
    "E / D / S / F", "I / K / J / L", "G", "H", "M", "N", "B", "V"};

OptionGroup groupOf(Field field) { return kFields[static_cast<std::size_t>(field)].group; }

}  // namespace

const std::array<FieldInfo, kFieldCount>& fieldTable() { return kFields; }
const FieldInfo& fieldInfo(Field field) { return kFields[static_cast<std::size_t>(field)]; }

std::span<const std::string_view> paletteItems(PaletteFamily family)
{
    if (family == PaletteFamily::RedBlue)
        return kRedBluePalettes;
    return kStandardPalettes;
}

PaletteFamily paletteFamilyFor3DMode(int index)
{
    return index == 1 ? PaletteFamily::RedBlue : PaletteFamily::Standard;
}

std::span<const std::string_view> brightnessItems() { return kBrightness; }
std::span<const std::string_view> zoomItems() { return kZoom; }
std::span<const std::string_view> frameSkipItems() { return kFrameSkip; }
std::span<const std::string_view> controllerItems() { return kControllers; }

std::span<const std::string_view> listItems(Field field, PaletteFamily paletteFamily)
{
    switch (field) {
    case Field::cmbPalette: return paletteItems(paletteFamily);
    case Field::cmbBrightness: return kBrightness;
    case Field::cmbZoom: return kZoom;
    case Field::cmbFrameSkip: return kFrameSkip;
    case Field::cmbVBController: return kControllers;
    default: return {};
    }
}

std::span<const std::string_view> keyDescriptions() { return kKeyDescriptions; }

std::span<const std::string_view> keyLabels(int layout)
{
    if (layout == 1)
        return kKeysLayout1;
    if (layout == 2)
        return kKeysLayout2;
    return {};
}

std::string_view keyPreviewCaption(int layout)
{
    if (layout == 1)
        return " Preview - Layout 1 ";
    if (layout == 2)
        return " Preview - Layout 2 ";
    return {};
}

EmulatorSettings::EmulatorSettings()
{
    m_value[slot(Field::optWindow)] = 1;
    m_value[slot(Field::opt3DMode2)] = 1;
    m_value[slot(Field::optKeyLayout1)] = 1;
}

const std::string& EmulatorSettings::text(Field field) const { return m_text[slot(field)]; }
bool EmulatorSettings::option(Field field) const { return m_value[slot(field)] != 0; }
int EmulatorSettings::check(Field field) const { return m_value[slot(field)]; }

void EmulatorSettings::setText(Field field, std::string value) { m_text[slot(field)] = std::move(value); }

void EmulatorSettings::setOption(Field field, bool value)
{
    if (!value) {
        m_value[slot(field)] = 0;
        return;
    }
    const OptionGroup group = groupOf(field);
    for (const FieldInfo& info : kFields) {
        if (info.group == group)
            m_value[slot(info.field)] = 0;
    }
    m_value[slot(field)] = 1;
    if (group == OptionGroup::Mode3D) {
        // The palette list is refilled on every selection and the previous choice discarded.
        m_paletteList = paletteFamilyFor3DMode(fieldInfo(field).index);
        m_text[slot(Field::cmbPalette)] = std::string(paletteItems(m_paletteList).front());
    }
}

bool EmulatorSettings::setCheck(Field field, int value)
{
    if (value < 0 || value > 2)
        return false;
    m_value[slot(field)] = value;
    return true;
}

bool EmulatorSettings::setListChoice(Field field, std::string_view value)
{
    const auto items = listItems(field, m_paletteList);
    if (std::find(items.begin(), items.end(), value) == items.end())
        return false;
    m_text[slot(field)] = std::string(value);
    return true;
}

void EmulatorSettings::setPaletteList(PaletteFamily family)
{
    m_paletteList = family;
    m_text[slot(Field::cmbPalette)].clear();
}

int EmulatorSettings::selected3DMode() const
{
    for (int i = 1; i <= 6; ++i)
        if (option(opt3DMode(i)))
            return i;
    return 0;
}

int EmulatorSettings::selectedKeyLayout() const
{
    for (int i = 1; i <= 2; ++i)
        if (option(optKeyLayout(i)))
            return i;
    return 0;
}

void resetEmulatorDefaults(EmulatorSettings& s)
{
    s.setOption(Field::optWindow, true);
    s.setCheck(Field::chkHStretch, 0);
    s.setOption(Field::opt3DMode2, true);
    s.setListChoice(Field::cmbPalette, "Normal");
    s.setListChoice(Field::cmbBrightness, "1.0");
    s.setCheck(Field::chkFlip, 0);
    s.setListChoice(Field::cmbZoom, "1x");
    s.setListChoice(Field::cmbFrameSkip, "0 f./sec.");
    s.setCheck(Field::chkNoThrottle, 0);
    s.setOption(Field::optKeyLayout1, true);
    s.setCheck(Field::chkJoystick, 0);
    s.setListChoice(Field::cmbVBController, "None connected to PC");
    for (Field f : {Field::chkForceTimer, Field::chkFixVF, Field::chkDisplayFPS, Field::chkEnableDebug,
                    Field::chkGenerateDisam, Field::chkOutputDebug})
        s.setCheck(f, 0);
}

}  // namespace kl
