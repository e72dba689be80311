// Reading the record from the widgets and writing it back with the reactions of a user's change.
#include "binder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>

#include "bytes.h"

using kl::Field;
using kl::FieldKind;

namespace {

kl::PaletteFamily familyShownBy(const QComboBox* combo)
{
    const auto redBlue = kl::paletteItems(kl::PaletteFamily::RedBlue);
    return combo->count() > 0 && combo->itemText(0) == qs(redBlue.front()) ? kl::PaletteFamily::RedBlue
                                                                           : kl::PaletteFamily::Standard;
}

int checkValue(Qt::CheckState state)
{
    return state == Qt::Checked ? 1 : state == Qt::PartiallyChecked ? 2 : 0;
}

Qt::CheckState checkState(int value)
{
    return value == 1 ? Qt::Checked : value == 2 ? Qt::PartiallyChecked : Qt::Unchecked;
}

// An exclusive radio button cannot be cleared directly; a record from a file may ask for it.
void clearRadio(QRadioButton* button)
{
    const QSignalBlocker block(button);
    button->setAutoExclusive(false);
    button->setChecked(false);
    button->setAutoExclusive(true);
}

}  // namespace

void fillCombo(QComboBox* combo, std::span<const std::string_view> items)
{
    const QSignalBlocker block(combo);
    combo->clear();
    for (std::string_view item : items)
        combo->addItem(qs(item));
    combo->setCurrentIndex(-1);
}

namespace {

// The control of a field's kind that carries its name (and, in a control array, its index).
QWidget* controlOf(const QWidget& form, const kl::FieldInfo& info)
{
    const QString name = QString::fromLatin1(info.name.data(), static_cast<qsizetype>(info.name.size()));
    for (QWidget* w : form.findChildren<QWidget*>(name)) {
        const bool kindFits = info.kind == FieldKind::Text     ? qobject_cast<QLineEdit*>(w) != nullptr
                              : info.kind == FieldKind::Option ? qobject_cast<QRadioButton*>(w) != nullptr
                              : info.kind == FieldKind::Check  ? qobject_cast<QCheckBox*>(w) != nullptr
                                                               : qobject_cast<QComboBox*>(w) != nullptr;
        if (kindFits && (info.index == 0 || w->property("Index").toInt() == info.index))
            return w;
    }
    return nullptr;
}

}  // namespace

bool SettingsBinder::bindControls(const QWidget& form, const std::function<Reaction(const kl::FieldInfo&)>& reactionFor)
{
    m_rows.clear();
    for (const kl::FieldInfo& info : kl::fieldTable()) {
        QWidget* control = controlOf(form, info);
        if (!control) {
            m_rows.clear();
            return false;
        }
        m_rows.push_back({info.field, control, info.kind == FieldKind::Option ? reactionFor(info) : Reaction()});
    }
    return true;
}

const SettingsBinder::Row* SettingsBinder::row(Field field) const
{
    for (const Row& r : m_rows)
        if (r.field == field)
            return &r;
    return nullptr;
}

kl::EmulatorSettings SettingsBinder::read() const
{
    kl::EmulatorSettings s;
    for (const kl::FieldInfo& info : kl::fieldTable()) {
        const Row* r = row(info.field);
        if (!r)
            continue;
        switch (info.kind) {
        case FieldKind::Text: s.setText(info.field, toBytes(static_cast<QLineEdit*>(r->widget)->text())); break;
        case FieldKind::Option: s.setOption(info.field, static_cast<QRadioButton*>(r->widget)->isChecked()); break;
        case FieldKind::Check: s.setCheck(info.field, checkValue(static_cast<QCheckBox*>(r->widget)->checkState())); break;
        case FieldKind::ListChoice: {
            auto* combo = static_cast<QComboBox*>(r->widget);
            if (info.field == Field::cmbPalette)
                s.setPaletteList(familyShownBy(combo));
            if (combo->currentIndex() >= 0)
                s.setListChoice(info.field, combo->currentText().toStdString());
            break;
        }
        }
    }
    return s;
}

void SettingsBinder::watchOptions(QObject* context, const std::function<void()>& changed) const
{
    for (const Row& r : m_rows) {
        switch (kl::fieldInfo(r.field).kind) {
        case FieldKind::Text: break;
        case FieldKind::Option:
            QObject::connect(static_cast<QRadioButton*>(r.widget), &QRadioButton::toggled, context, changed);
            break;
        case FieldKind::Check:
#if QT_VERSION >= QT_VERSION_CHECK(6, 7, 0)  // stateChanged is deprecated from Qt 6.7 on
            QObject::connect(static_cast<QCheckBox*>(r.widget), &QCheckBox::checkStateChanged, context, changed);
#else
            QObject::connect(static_cast<QCheckBox*>(r.widget), &QCheckBox::stateChanged, context, changed);
#endif
            break;
        case FieldKind::ListChoice:
            QObject::connect(static_cast<QComboBox*>(r.widget), &QComboBox::currentIndexChanged, context, changed);
            break;
        }
    }
}

void SettingsBinder::write(const kl::EmulatorSettings& s) const
{
    for (const kl::FieldInfo& info : kl::fieldTable()) {
        const Row* r = row(info.field);
        if (!r)
            continue;
        switch (info.kind) {
        case FieldKind::Text: {
            auto* edit = static_cast<QLineEdit*>(r->widget);
            const QString text = fromBytes(s.text(info.field));
            if (edit->text() != text)
                edit->setText(text);  // runs the change handler, as typing would
            break;
        }
        case FieldKind::Option: {
            auto* button = static_cast<QRadioButton*>(r->widget);
            if (!s.option(info.field)) {
                clearRadio(button);
                break;
            }
            {
                const QSignalBlocker block(button);
                button->setChecked(true);
            }
            if (r->onSelected)
                r->onSelected();
            break;
        }
        case FieldKind::Check: {
            auto* box = static_cast<QCheckBox*>(r->widget);
            const QSignalBlocker block(box);
            box->setTristate(s.check(info.field) == 2);
            box->setCheckState(checkState(s.check(info.field)));
            break;
        }
        case FieldKind::ListChoice: {
            auto* combo = static_cast<QComboBox*>(r->widget);
            // With no 3D mode selected no click refilled the list, so it must show the family
            // the record holds.
            if (info.field == Field::cmbPalette && familyShownBy(combo) != s.paletteList())
                fillCombo(combo, kl::paletteItems(s.paletteList()));
            const QSignalBlocker block(combo);
            combo->setCurrentIndex(combo->findText(QString::fromStdString(s.text(info.field))));
            break;
        }
        }
    }
}
