// The record of emulator options: its 30 fields in file order, their kinds, lists and rules.
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>

namespace kl {

// The fields in their canonical order; the order of the lines of Settings.ini relies on it.
enum class Field : int {
    txtEmuPath,
    txtRomPath,
    optWindow,
    opt320x200,
    opt640x480,
    opt800x600,
    opt1024x768,
    chkHStretch,
    opt3DMode1,
    opt3DMode2,
    opt3DMode3,
    opt3DMode4,
    opt3DMode5,
    opt3DMode6,
    cmbPalette,
    cmbBrightness,
    chkFlip,
    cmbZoom,
    cmbFrameSkip,
    chkNoThrottle,
    optKeyLayout1,
    optKeyLayout2,
    chkJoystick,
    cmbVBController,
    chkForceTimer,
    chkFixVF,
    chkDisplayFPS,
    chkEnableDebug,
    chkGenerateDisam,
    chkOutputDebug,
};
inline constexpr int kFieldCount = 30;

enum class FieldKind { Text, Option, Check, ListChoice };
enum class OptionGroup { None, DisplayMode, Mode3D, KeyLayout };

struct FieldInfo {
    Field field;
    std::string_view name;  // the control's name; arrays carry their index separately
    FieldKind kind;
    OptionGroup group;
    int index;              // control-array index (from 1), 0 for plain controls
};

// One row per field, in canonical order.
const std::array<FieldInfo, kFieldCount>& fieldTable();
const FieldInfo& fieldInfo(Field field);

constexpr Field opt3DMode(int index) { return static_cast<Field>(static_cast<int>(Field::opt3DMode1) + index - 1); }
constexpr Field optKeyLayout(int index) { return static_cast<Field>(static_cast<int>(Field::optKeyLayout1) + index - 1); }

// Which family of palettes the palette list holds: it follows the most recently selected 3D mode.
enum class PaletteFamily { Standard, RedBlue };
std::span<const std::string_view> paletteItems(PaletteFamily family);
PaletteFamily paletteFamilyFor3DMode(int index);

std::span<const std::string_view> brightnessItems();
std::span<const std::string_view> zoomItems();
std::span<const std::string_view> frameSkipItems();
std::span<const std::string_view> controllerItems();
// The items a list field offers at this moment (the palette list depends on the family).
std::span<const std::string_view> listItems(Field field, PaletteFamily paletteFamily);

// The key preview: eight description/key pairs per keyboard layout, and the frame caption.
inline constexpr int kKeyPreviewRows = 8;
std::span<const std::string_view> keyDescriptions();
std::span<const std::string_view> keyLabels(int layout);  // layout 1 or 2; empty for others
std::string_view keyPreviewCaption(int layout);          // " Preview - Layout n "

class EmulatorSettings {
public:
    // The state of the window as it is built, before anything is loaded.
    EmulatorSettings();

    const std::string& text(Field field) const;  // text and list-choice fields
    bool option(Field field) const;
    int check(Field field) const;
    PaletteFamily paletteList() const { return m_paletteList; }

    void setText(Field field, std::string value);
    // True selects the member and clears the rest of its group (a 3D mode also refills the
    // palette list); false clears only this member.
    void setOption(Field field, bool value);
    // Accepts 0, 1 and 2 only; anything else is refused and the field keeps its value.
    bool setCheck(Field field, int value);
    // Accepts only an item of the field's list at this moment.
    bool setListChoice(Field field, std::string_view value);
    // The palette list as the window holds it when no 3D mode is selected: no item chosen.
    void setPaletteList(PaletteFamily family);

    // The selected member of a group (1-based), or 0 when the group has none.
    int selected3DMode() const;
    int selectedKeyLayout() const;

    bool operator==(const EmulatorSettings&) const = default;

private:
    static std::size_t slot(Field field) { return static_cast<std::size_t>(field); }

    std::array<std::string, kFieldCount> m_text{};
    std::array<int, kFieldCount> m_value{};
    PaletteFamily m_paletteList = PaletteFamily::Standard;
};

// Every field but the two paths takes its default, in the documented order (the 3D mode
// before the palette, since "Normal" is refused while "Red/Blue" is selected).
void resetEmulatorDefaults(EmulatorSettings& settings);

}  // namespace kl
