// The properties window of one ROM file: a non-modal window owned by the main window.
#pragma once

#include <QWidget>

class PropertiesWindow : public QWidget {
    Q_OBJECT
public:
    PropertiesWindow(const QString& path, QWidget* owner);
};
