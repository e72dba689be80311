// Fills the properties window from the file's metadata and, for ROM images, their footer.
#include "properties.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLocale>
#include <QShortcut>
#include <QStringDecoder>
#include <QVBoxLayout>

#include "bytes.h"
#include "file_kind.h"
#include "catalogues.h"
#include "config/play_times.h"
#include "launch/patched_start.h"
#include "paths.h"
#include "pictures.h"
#include "rom/catalogue.h"
#include "rom/rom_header.h"
#include "rom/zip_archive.h"

#include <functional>

#include <unistd.h>

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

using AddRow = std::function<void(const char*, const QString&, const QString&)>;

void addRomRows(const AddRow& addRow, const std::optional<kl::RomHeader>& header, std::uint32_t crc)
{
    if (!header) {
        addRow("valRom", QObject::tr("ROM:"), QObject::tr("No Virtual Boy ROM header found"));
        return;
    }
    addRow("valTitle", QObject::tr("Title:"), decodeTitle(header->title));
    addRow("valGameCode", QObject::tr("Game code:"), QString::fromStdString(header->gameCode));
    addRow("valMakerCode", QObject::tr("Maker code:"), QString::fromStdString(header->makerCode));
    addRow("valRegion", QObject::tr("Region:"), QString::fromStdString(header->region));
    addRow("valVersion", QObject::tr("Version:"), QStringLiteral("1.%1").arg(header->version));
    addRow("valCrc", QObject::tr("CRC-32:"), fromBytes(kl::crcText(crc)));
}

// A hostile archive may hold a million names; the window shows the first ones and the count.
constexpr std::size_t kShownEntries = 20;

void addArchiveRows(const AddRow& addRow, const std::optional<kl::ArchiveContents>& contents, const QLocale& locale)
{
    if (!contents) {
        addRow("valArchive", QObject::tr("Archive:"), QObject::tr("The archive could not be read"));
        return;
    }
    QStringList lines;
    for (std::size_t i = 0; i < contents->entries.size() && i < kShownEntries; ++i) {
        const kl::ArchiveEntry& e = contents->entries[i];
        lines << QObject::tr("%1 (%2 Bytes)")
                     .arg(QString::fromStdString(e.name), locale.toString(static_cast<qulonglong>(e.size)));
    }
    if (contents->entries.size() > kShownEntries)
        lines << QObject::tr("… and %1 more").arg(locale.toString(qulonglong(contents->entries.size() - kShownEntries)));
    addRow("valEntries", QObject::tr("Entries:"), lines.isEmpty() ? QObject::tr("None") : lines.join(QLatin1Char('\n')));
    if (!contents->rom)
        return;
    addRow("valRomEntry", QObject::tr("ROM image:"), QString::fromStdString(contents->rom->name));
    addRomRows(addRow, contents->rom->header, contents->rom->crc);
}

std::optional<kl::ConfigLocation>& playTimesInUse()
{
    static std::optional<kl::ConfigLocation> location;
    return location;
}

std::function<std::optional<QString>(const std::string&)>& wineInUse()
{
    static std::function<std::optional<QString>(const std::string&)> wineOf;
    return wineOf;
}

void addSection(QFormLayout* form, const char* name, const QString& text)
{
    auto* title = new QLabel(text);
    title->setObjectName(QString::fromLatin1(name));
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    form->addRow(title);
}

// What the catalogues say of the image, and which of them had to be skipped and why.
void addCatalogueRows(QFormLayout* form, const AddRow& addRow, const std::string& image, const std::string& gameCode)
{
    addSection(form, "lblCatalogue", QObject::tr("Catalogue"));
    const auto& catalogues = currentCatalogues();
    const kl::Identification found = kl::identify(catalogues, bytesOf(image), gameCode);
    addRow("valCatalogueGame", QObject::tr("Game:"), fromBytes(kl::identificationText(found, catalogueFolderInUse())));
    if (!found.catalogue.empty())
        addRow("valCatalogueName", QObject::tr("Catalogue:"), fromBytes(found.catalogue));
    QStringList skipped;
    for (const kl::Catalogue& c : catalogues)
        if (!c.problem.empty())
            skipped << fromBytes(kl::splitPath(c.file).name + ": " + c.problem);
    if (!skipped.isEmpty())
        addRow("valCatalogueSkipped", QObject::tr("Skipped:"), shown(skipped.join(QLatin1Char('\n'))));
}

// The patch beside the game, applied in memory as a start applies it; nothing is written.
// Returns the patched image's key where the patch applies.
std::optional<kl::Sha1> addPatchRows(QFormLayout* form, const AddRow& addRow, const std::string& path,
                                     const std::string& image)
{
    const auto game = kl::examinePatch(path);
    if (!game)
        return std::nullopt;
    using Status = kl::PatchOutcome::Status;
    addSection(form, "lblPatch", QObject::tr("Patch"));
    const std::string format = game->format ? " (" + std::string(kl::patchFormatName(*game->format)) + ")" : "";
    addRow("valPatchFile", QObject::tr("File:"), fromBytes(game->patchName + format));
    const bool ips = game->format == kl::PatchFormat::Ips;
    std::string checked, result = "none";
    const auto& catalogues = currentCatalogues();
    switch (game->outcome.status) {
    case Status::Applied:
        checked = ips ? "IPS carries no checksum" : "verified: made for this image";
        result = kl::patchedGameName(*game, catalogues).value_or(
            "CRC-32 " + kl::crcText(kl::crc32Of(bytesOf(game->outcome.result))));
        break;
    case Status::AlreadyApplied:
        checked = "already applied";
        result = kl::verifiedName(catalogues, bytesOf(image)).value_or("CRC-32 " + kl::crcText(game->imageCrc));
        break;
    case Status::WrongSource: {
        const auto name = kl::expectedGameName(*game, catalogues);
        checked = "made for another image: " + (name ? '"' + *name + "\" (" + kl::expectedImageText(*game) + ')'
                                                     : kl::expectedImageText(*game));
        break;
    }
    case Status::Damaged: checked = "damaged: " + game->outcome.reason; break;
    }
    addRow("valPatchChecked", QObject::tr("Checked:"), fromBytes(checked));
    addRow("valPatchResult", QObject::tr("Result:"), fromBytes(result));
    if (game->outcome.status != Status::Applied)
        return std::nullopt;
    if (const auto& location = playTimesInUse())
        addRow("valPatchCopy", QObject::tr("Copy:"),
               shown(fromBytes(kl::patchedCopyFolder(kl::patchedImagesFolder(*location), game->resultSha1))));
    return game->resultSha1;
}

// How often and how long the game was played (the patched one, where a patch applies),
// wherever it was started from; nothing before any game was played.
void addPlayRows(QFormLayout* form, const AddRow& addRow, const kl::Sha1& game, const QLocale& locale)
{
    const auto& location = playTimesInUse();
    const auto records = location ? kl::loadPlayTimes(*location) : std::nullopt;
    if (!records)
        return;
    addSection(form, "lblPlay", QObject::tr("Play"));
    const kl::PlayRecord* record = kl::findPlayRecord(*records, game);
    addRow("valPlayed", QObject::tr("Played:"), QString::fromStdString(kl::playedText(record)));
    if (record)
        addRow("valLastPlayed", QObject::tr("Last played:"),
               locale.toString(QDateTime::fromSecsSinceEpoch(record->lastEnd), QLocale::LongFormat));
}

void addGameSections(QFormLayout* form, const AddRow& addRow, const std::string& path, const std::string& image,
                     const std::string& gameCode, const QLocale& locale)
{
    addCatalogueRows(form, addRow, image, gameCode);
    const auto patched = addPatchRows(form, addRow, path, image);
    addPlayRows(form, addRow, patched.value_or(kl::sha1Of(bytesOf(image))), locale);
}

}  // namespace

void usePlayTimes(const kl::ConfigLocation& location) { playTimesInUse() = location; }

std::function<std::optional<std::string>(const std::string&)>& pictureInUse()
{
    static std::function<std::optional<std::string>(const std::string&)> pictureOf;
    return pictureOf;
}

void usePictureOf(std::function<std::optional<std::string>(const std::string&)> pictureOf)
{
    pictureInUse() = std::move(pictureOf);
}

void useWineOf(std::function<std::optional<QString>(const std::string&)> wineOf) { wineInUse() = std::move(wineOf); }

PropertiesWindow::PropertiesWindow(const QString& path, QWidget* owner) : QWidget(owner, Qt::Window)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("frmProperties"));
    // The name's bytes reach the file system unchanged; QFileInfo would pass them through a codec.
    const std::string bytes = toBytes(path);
    const std::size_t slash = bytes.find_last_of('/');
    const QString fileName = shown(fromBytes(slash == std::string::npos ? bytes : bytes.substr(slash + 1)));
    const QString folder = shown(fromBytes(slash == std::string::npos ? std::string(".")
                                           : slash == 0                 ? std::string("/")
                                                                        : bytes.substr(0, slash)));
    setWindowTitle(QStringLiteral("Properties of \"%1\"").arg(fileName));

    auto* form = new QFormLayout;
    const AddRow addRow = [form](const char* name, const QString& label, const QString& value) {
        auto* text = new QLabel(value);
        text->setObjectName(QString::fromLatin1(name));
        text->setTextInteractionFlags(Qt::TextSelectableByMouse);
        // Only names and folders can be long; wrapping the short values makes the window needlessly tall.
        text->setWordWrap(qstrcmp(name, "valName") == 0 || qstrcmp(name, "valFolder") == 0
                          || qstrcmp(name, "valRomEntry") == 0 || qstrcmp(name, "valCatalogueSkipped") == 0
                          || qstrcmp(name, "valPatchChecked") == 0 || qstrcmp(name, "valPatchCopy") == 0
                          || qstrcmp(name, "valWine") == 0);
        text->setTextFormat(Qt::PlainText);  // names come from the file system and from archives
        form->addRow(label, text);
    };
    const QLocale locale;
    addRow("valName", tr("Name:"), fileName);
    addRow("valFolder", tr("Folder:"), folder);
    const kl::FileStatus status = kl::fileStatus(bytes);
    const QString modified = locale.toString(QDateTime::fromSecsSinceEpoch(status.modified), QLocale::LongFormat);
    if (status.kind == kl::FileKind::Missing) {
        addRow("valStatus", tr("Status:"), tr("The file no longer exists."));
    } else if (status.kind != kl::FileKind::Regular) {
        // A pipe would block the reader for ever, and a device is no ROM: nothing is read.
        addRow("valType", tr("Type:"), status.kind == kl::FileKind::Pipe     ? tr("Named pipe")
                                       : status.kind == kl::FileKind::Socket ? tr("Socket")
                                       : status.kind == kl::FileKind::Folder ? tr("Folder")
                                                                              : tr("Device"));
        addRow("valModified", tr("Modified:"), modified);
    } else {
        addRow("valSize", tr("Size:"), tr("%1 Bytes").arg(locale.toString(static_cast<qulonglong>(status.size))));
        addRow("valModified", tr("Modified:"), modified);
        addRow("valWritable", tr("Writable:"), ::access(bytes.c_str(), W_OK) == 0 ? tr("Yes") : tr("No"));
        if (const auto wine = wineInUse() ? wineInUse()(bytes) : std::nullopt)
            addRow("valWine", tr("Wine:"), *wine);
        const QString suffix = QFileInfo(fileName).suffix().toLower();
        if (suffix == QLatin1String("vb")) {
            const auto image = kl::readRomImage(bytes);
            const auto header = image ? kl::romHeaderOf(bytesOf(*image)) : std::nullopt;
            addRomRows(addRow, header, image ? kl::crc32Of(bytesOf(*image)) : 0);
            if (image)
                addGameSections(form, addRow, bytes, *image, header ? header->gameCode : std::string(), locale);
        } else if (suffix == QLatin1String("zip")) {
            const auto contents = kl::readArchiveFile(bytes);
            addArchiveRows(addRow, contents, locale);
            if (contents && contents->rom && kl::isRomImageSize(contents->rom->image.size()))
                addGameSections(form, addRow, bytes, contents->rom->image,
                                contents->rom->header ? contents->rom->header->gameCode : std::string(), locale);
        }
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QWidget::close);
    // A window of its own, not a dialog, so Escape is given the meaning it has in every dialog.
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &QWidget::close);
    auto* layout = new QVBoxLayout(this);
    // The game's picture beside its facts, where pictures are on and it has one.
    const auto pictureFile = pictureInUse() && status.kind == kl::FileKind::Regular ? pictureInUse()(bytes) : std::nullopt;
    const QImage picture = pictureFile ? decodePicture(*pictureFile, QSize(240, 320)) : QImage();
    if (!picture.isNull()) {
        auto* row = new QHBoxLayout;
        row->addLayout(form, 1);
        auto* shownPicture = new QLabel;
        shownPicture->setObjectName(QStringLiteral("picGame"));
        shownPicture->setPixmap(QPixmap::fromImage(picture));
        shownPicture->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
        shownPicture->setAccessibleName(tr("Picture of the game"));
        row->addWidget(shownPicture, 0, Qt::AlignTop);
        layout->addLayout(row);
    } else {
        layout->addLayout(form);
    }
    layout->addWidget(buttons);
    setMinimumWidth(380);
}
