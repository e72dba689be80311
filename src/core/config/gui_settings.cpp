// Reading, writing and applying rules of GUI.ini.
#include "gui_settings.h"

#include "../browser/folder_listing.h"
#include "text_file.h"

namespace kl {

namespace {
// "True", "False" or a number: anything longer is damage.
constexpr std::size_t kMaxGuiLine = 4096;
}  // namespace

void ResetGuiDefaults(GuiSettings& gui) { gui = GuiSettings{}; }

std::string formatGuiFile(const GuiSettings& gui)
{
    std::string out;
    for (bool tick : gui.ticks) {
        out += tick ? "True" : "False";
        out += "\r\n";
    }
    return out;
}

bool loadGuiFile(const std::string& path, GuiSettings& gui)
{
    LineReader reader(path);
    if (!reader.isOpen())
        return false;
    for (bool& tick : gui.ticks) {
        const auto line = reader.next(kMaxGuiLine);
        if (!line)
            return false;
        const auto value = parseBoolean(*line);
        if (!value)
            return false;
        tick = *value;
    }
    return true;
}

bool saveGuiFile(const std::string& path, const GuiSettings& gui)
{
    return writeFileAtomically(path, formatGuiFile(gui));
}

std::optional<std::string_view> filePatternFor(const GuiSettings& gui)
{
    std::optional<std::string_view> pattern;
    for (int i = 1; i <= 4; ++i)
        if (gui.fileType(i))
            pattern = FileTypePattern(i);
    return pattern;
}

std::optional<int> themeFor(const GuiSettings& gui)
{
    std::optional<int> theme;
    for (int i = 1; i <= 8; ++i)
        if (gui.theme(i))
            theme = i;
    if (gui.themeDefault())
        theme = 0;
    return theme;
}

}  // namespace kl
