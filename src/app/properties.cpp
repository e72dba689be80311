// Fills the properties window from the file's metadata.
#include "properties.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QVBoxLayout>

PropertiesWindow::PropertiesWindow(const QString& path, QWidget* owner) : QWidget(owner, Qt::Window)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("frmProperties"));
    const QFileInfo info(path);
    setWindowTitle(QStringLiteral("Properties of \"%1\"").arg(info.fileName()));

    auto* form = new QFormLayout;
    auto addRow = [form](const QString& label, const QString& value) {
        auto* text = new QLabel(value);
        text->setTextInteractionFlags(Qt::TextSelectableByMouse);
        text->setWordWrap(true);
        form->addRow(label, text);
    };
    const QLocale locale;
    addRow(tr("Name:"), info.fileName());
    addRow(tr("Folder:"), info.absolutePath());
    if (info.exists()) {
        addRow(tr("Size:"), tr("%1 Bytes").arg(locale.toString(info.size())));
        addRow(tr("Modified:"), locale.toString(info.lastModified(), QLocale::LongFormat));
        addRow(tr("Writable:"), info.isWritable() ? tr("Yes") : tr("No"));
    } else {
        addRow(tr("Status:"), tr("The file no longer exists."));
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QWidget::close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setMinimumWidth(380);
}
