// Ties each option widget to its field of the emulator options record, one row per field.
#pragma once

#include <QObject>

#include <functional>
#include <span>
#include <string_view>
#include <vector>

#include "launch/emulator_settings.h"

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;
class QWidget;

class SettingsBinder {
public:
    using Reaction = std::function<void()>;

    // Binds every field to the control below the form that carries the field's name (and
    // index): a line edit, option button, check box or list, as the field's kind says. An
    // option's reaction runs for every write that selects it, as a user's click would. False,
    // with nothing bound, when a control is missing.
    bool bindControls(const QWidget& form, const std::function<Reaction(const kl::FieldInfo&)>& reactionFor);

    // The record as the window shows it now.
    kl::EmulatorSettings read() const;
    // Writes every field in canonical order; a path that changes runs its change handling,
    // a selected 3D mode or key layout runs its click handler, nothing else reacts.
    void write(const kl::EmulatorSettings& settings) const;

    // Calls `changed` after every change of an option control (not of the two paths),
    // whoever made it.
    void watchOptions(QObject* context, const std::function<void()>& changed) const;

    std::size_t size() const { return m_rows.size(); }

private:
    struct Row {
        kl::Field field;
        QWidget* widget;
        Reaction onSelected;
    };
    const Row* row(kl::Field field) const;

    std::vector<Row> m_rows;
};

// Fills a combo box with items without selecting one and without raising signals.
void fillCombo(QComboBox* combo, std::span<const std::string_view> items);
