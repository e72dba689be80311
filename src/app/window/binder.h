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

class SettingsBinder {
public:
    using Reaction = std::function<void()>;

    void bindText(kl::Field field, QLineEdit* edit);
    // The reaction runs for every write that selects the option, as a user's click would.
    void bindOption(kl::Field field, QRadioButton* button, Reaction onSelected = {});
    void bindCheck(kl::Field field, QCheckBox* box);
    void bindList(kl::Field field, QComboBox* combo);

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
