// Reading and writing of Settings.ini with its conversion and fallback rules.
#include "settings_file.h"

#include <cmath>
#include <span>

#include "text_file.h"

namespace kl {

std::string formatSettingsFile(const EmulatorSettings& s) { return formatSettingsLines(s, 0); }

std::string formatSettingsLines(const EmulatorSettings& s, int firstLine)
{
    std::string out;
    for (const FieldInfo& info : std::span(fieldTable()).subspan(static_cast<std::size_t>(firstLine))) {
        switch (info.kind) {
        case FieldKind::Text:
        case FieldKind::ListChoice: out += s.text(info.field); break;
        case FieldKind::Option: out += s.option(info.field) ? "True" : "False"; break;
        case FieldKind::Check:
            out += ' ';
            out += std::to_string(s.check(info.field));
            out += ' ';
            break;
        }
        out += "\r\n";
    }
    return out;
}

bool applySettingsLine(EmulatorSettings& s, Field field, const std::string& line)
{
    switch (fieldInfo(field).kind) {
    case FieldKind::Text:
        // No Linux path holds a NUL; a line with one is damage, and would be cut short where used.
        if (line.find('\0') != std::string::npos)
            return false;
        s.setText(field, line);
        return true;
    case FieldKind::Option: {
        const auto value = parseBoolean(line);
        if (!value)
            return false;
        s.setOption(field, *value);
        return true;
    }
    case FieldKind::Check: {
        const auto number = parseDecimal(line);
        if (!number)
            return false;
        // nearbyint rounds a half to the even neighbour under the default rounding mode.
        const double rounded = std::nearbyint(*number);
        if (!(rounded >= 0 && rounded <= 2))
            return false;
        return s.setCheck(field, static_cast<int>(rounded));
    }
    case FieldKind::ListChoice: return s.setListChoice(field, line);
    }
    return false;
}

bool loadSettingsFile(const std::string& path, EmulatorSettings& s)
{
    LineReader reader(path);
    bool ok = reader.isOpen();
    for (int i = 0; ok && i < kSettingsLineCount; ++i) {
        const auto line = reader.next(kMaxSettingsLine);
        ok = line && applySettingsLine(s, fieldTable()[static_cast<std::size_t>(i)].field, *line);
    }
    if (!ok)
        resetEmulatorDefaults(s);
    return ok;
}

bool saveSettingsFile(const std::string& path, const EmulatorSettings& s)
{
    return writeFileAtomically(path, formatSettingsFile(s));
}

}  // namespace kl
