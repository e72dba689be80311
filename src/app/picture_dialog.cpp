// Config > Pictures...: which picture, the user's folder of the sets, and downloading.
#include "platform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "bytes.h"

std::optional<kl::PictureSettings> QtPlatform::pictureSettingsDialog(QWidget* owner, const kl::PictureSettings& current)
{
    QDialog dialog(owner);
    dialog.setWindowTitle(QStringLiteral("Pictures"));
    dialog.setObjectName(QStringLiteral("frmPictures"));
    auto* kind = new QComboBox(&dialog);
    kind->addItems({QStringLiteral("Box"), QStringLiteral("Title screen"), QStringLiteral("Screenshot")});
    const kl::PictureKind kinds[] = {kl::PictureKind::Boxart, kl::PictureKind::Title, kl::PictureKind::Snap};
    for (int i = 0; i < 3; ++i)
        if (kinds[i] == current.kind)
            kind->setCurrentIndex(i);
    auto* folder = new QLineEdit(fromBytes(current.folder), &dialog);
    folder->setPlaceholderText(QStringLiteral("none: RetroArch's, then the downloaded ones"));
    folder->setMinimumWidth(folder->fontMetrics().horizontalAdvance(folder->placeholderText()) + 24);
    auto* browse = new QPushButton(QStringLiteral("&Browse..."), &dialog);
    QObject::connect(browse, &QPushButton::clicked, &dialog, [&] {
        const QString chosen = QFileDialog::getExistingDirectory(&dialog, QStringLiteral("Folder of the thumbnail sets"),
                                                                 folder->text());
        if (!chosen.isEmpty())
            folder->setText(chosen);
    });
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(folder);
    folderRow->addWidget(browse);
    auto* download = new QCheckBox(QStringLiteral("&Download missing pictures from the server"), &dialog);
    download->setChecked(current.download);
    auto* base = new QLineEdit(fromBytes(current.base), &dialog);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* form = new QFormLayout(&dialog);
    form->addRow(QStringLiteral("&Picture:"), kind);
    // A row of two widgets gets no buddy from the form: the label is made with one.
    auto* folderLabel = new QLabel(QStringLiteral("&Folder:"), &dialog);
    folderLabel->setBuddy(folder);
    form->addRow(folderLabel, folderRow);
    form->addRow(download);
    form->addRow(QStringLiteral("&Server:"), base);
    form->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    kl::PictureSettings chosen = current;
    chosen.kind = kinds[kind->currentIndex()];
    chosen.folder = toBytes(folder->text().trimmed());
    chosen.download = download->isChecked();
    // An address that is no web address keeps the one there was.
    const kl::PictureSettings parsed =
        kl::parsePictureSettings("[Pictures]\nBase=" + toBytes(base->text().trimmed()) + "\n");
    if (parsed.base != kl::kDefaultThumbnailServer || base->text().trimmed() == QLatin1String(kl::kDefaultThumbnailServer.data()))
        chosen.base = parsed.base;
    return chosen;
}
