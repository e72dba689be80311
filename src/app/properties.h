// The properties window of one ROM file: a non-modal window owned by the main window.
#pragma once

#include <QWidget>

#include "config/config_location.h"

// Where the play times shown are kept; none are shown before this is called.
void usePlayTimes(const kl::ConfigLocation& location);

class PropertiesWindow : public QWidget {
    Q_OBJECT
public:
    PropertiesWindow(const QString& path, QWidget* owner);
};
