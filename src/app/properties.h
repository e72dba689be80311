// The properties window of one ROM file: a non-modal window owned by the main window.
#pragma once

#include <QWidget>

#include <functional>
#include <optional>
#include <string>

#include "config/config_location.h"

// Where the play times shown are kept; none are shown before this is called.
void usePlayTimes(const kl::ConfigLocation& location);

// Which Wine a start of the ROM at this path goes through, as the window would start it: its
// name, or nothing where no Wine is involved; nothing is shown before this is called.
void useWineOf(std::function<std::optional<QString>(const std::string& romPath)> wineOf);

// The picture file of the ROM at this path, shown beside its facts; none before this is called
// with a function, or after it is called with none.
void usePictureOf(std::function<std::optional<std::string>(const std::string& romPath)> pictureOf);

class PropertiesWindow : public QWidget {
    Q_OBJECT
public:
    PropertiesWindow(const QString& path, QWidget* owner);
};
