// Fills the properties window from the file's metadata and, for ROM images, their footer.
#include "properties.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QStringDecoder>
#include <QVBoxLayout>

#include "rom/rom_header.h"

namespace {

// Titles are Shift-JIS; without a converter for it the ASCII part still reads right.
QString decodeTitle(const std::string& bytes)
{
    QStringDecoder decoder("Shift_JIS");
    if (decoder.isValid())
        return decoder.decode(QByteArray::fromStdString(bytes));
    return QString::fromLatin1(QByteArray::fromStdString(bytes));
}

std::span<const unsigned char> bytesOf(const std::string& s)
{
    return {reinterpret_cast<const unsigned char*>(s.data()), s.size()};
}

}  // namespace

PropertiesWindow::PropertiesWindow(const QString& path, QWidget* owner) : QWidget(owner, Qt::Window)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("frmProperties"));
    const QFileInfo info(path);
    setWindowTitle(QStringLiteral("Properties of \"%1\"").arg(info.fileName()));

    auto* form = new QFormLayout;
    auto addRow = [form](const char* name, const QString& label, const QString& value) {
        auto* text = new QLabel(value);
        text->setObjectName(QString::fromLatin1(name));
        text->setTextInteractionFlags(Qt::TextSelectableByMouse);
        // Only names and folders can be long; wrapping the short values makes the window needlessly tall.
        text->setWordWrap(qstrcmp(name, "valName") == 0 || qstrcmp(name, "valFolder") == 0);
        form->addRow(label, text);
    };
    const QLocale locale;
    addRow("valName", tr("Name:"), info.fileName());
    addRow("valFolder", tr("Folder:"), info.absolutePath());
    if (!info.exists()) {
        addRow("valStatus", tr("Status:"), tr("The file no longer exists."));
    } else {
        addRow("valSize", tr("Size:"), tr("%1 Bytes").arg(locale.toString(info.size())));
        addRow("valModified", tr("Modified:"), locale.toString(info.lastModified(), QLocale::LongFormat));
        addRow("valWritable", tr("Writable:"), info.isWritable() ? tr("Yes") : tr("No"));
        if (info.suffix().compare(QLatin1String("vb"), Qt::CaseInsensitive) == 0) {
            const auto image = kl::readRomImage(path.toStdString());
            const auto header = image ? kl::romHeaderOf(bytesOf(*image)) : std::nullopt;
            if (!header) {
                addRow("valRom", tr("ROM:"), tr("No Virtual Boy ROM header found"));
            } else {
                addRow("valTitle", tr("Title:"), decodeTitle(header->title));
                addRow("valGameCode", tr("Game code:"), QString::fromStdString(header->gameCode));
                addRow("valMakerCode", tr("Maker code:"), QString::fromStdString(header->makerCode));
                addRow("valRegion", tr("Region:"), QString::fromStdString(header->region));
                addRow("valVersion", tr("Version:"), QStringLiteral("1.%1").arg(header->version));
                addRow("valCrc", tr("CRC-32:"),
                       QStringLiteral("%1").arg(kl::crc32Of(bytesOf(*image)), 8, 16, QLatin1Char('0')).toUpper());
            }
        }
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QWidget::close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setMinimumWidth(380);
}
