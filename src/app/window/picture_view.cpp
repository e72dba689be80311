// View > Game picture and Config > Pictures...: the selected game's picture beside the tabs,
// and the settings of it kept in Pictures.ini. Off until the user turns it on; then the window
// grows by the pane, and the documented part of it stays as it was.
#include "frmkl.h"

#include <QFile>

#include "bytes.h"
#include "catalogues.h"
#include "config/text_file.h"
#include "launch/desktop_entry.h"
#include "paths.h"
#include "properties.h"
#include "texts.h"
#include "widgets/file_list_box.h"
#include "widgets/picture_pane.h"

using namespace window_text;

void frmKL::loadPictureSettings()
{
    const auto settings = kl::loadPictureSettings(m_config);
    m_picturesKept = settings.has_value();
    usePictureSettings(settings.value_or(kl::PictureSettings{}));
}

void frmKL::usePictureSettings(const kl::PictureSettings& settings)
{
    const bool wasShown = !picPane->isHidden();
    m_pictures->setSettings(settings);
    mnuViewPicture->setChecked(settings.show);
    if (settings.show != wasShown) {
        layOutPicturePane(settings.show);
        m_sizeKeeper->keep(sizeHint());
    }
    // Properties shows the picture too, while pictures are on.
    usePictureOf(settings.show ? std::function<std::optional<std::string>(const std::string&)>(
                                     [this](const std::string& romPath) {
                                         return m_pictures->pictureFile(romPath, currentCatalogues());
                                     })
                               : nullptr);
    showSelectedPicture();
}

void frmKL::showSelectedPicture()
{
    if (picPane->isHidden())
        return;
    const std::string name = lstFiles->selectedName();
    if (name.empty()) {
        picPane->showPicture({}, {});
        return;
    }
    // The name stands until the picture comes, so a quick pass through the list shows names.
    picPane->showPicture({}, shown(fromBytes(name)));
    m_pictures->request(kl::joinAlways(lstFiles->folder(), name, kl::kNativeStyle), picPane->contentsRect().size());
}

void frmKL::mnuViewPicture_Click()
{
    kl::PictureSettings settings = m_pictures->settings();
    settings.show = !settings.show;
    usePictureSettings(settings);
    if (m_picturesKept && !kl::savePictureSettings(m_config, settings))
        showError(kPicturesNotKept.arg(fromBytes(kl::pictureSettingsPath(m_config))));
}

void frmKL::mnuConfigPictures_Click()
{
    const auto chosen = m_platform.pictureSettingsDialog(this, m_pictures->settings());
    if (!chosen)
        return;
    usePictureSettings(*chosen);
    if (m_picturesKept && !kl::savePictureSettings(m_config, *chosen))
        showError(kPicturesNotKept.arg(fromBytes(kl::pictureSettingsPath(m_config))));
}

std::string frmKL::entryIcon(const std::string& romPath)
{
    if (!m_pictures->settings().show)
        return std::string(kEntryIcon);
    const auto picture = m_pictures->pictureFile(romPath, currentCatalogues());
    const auto bytes = picture ? kl::readWholeFile(*picture, kl::kMaxPictureBytes) : std::nullopt;
    const std::string icon = kl::gameIconPath(romPath);
    if (!bytes || !kl::hasPngSignature(*bytes) || !kl::makeFolders(kl::splitPath(icon).folder, 0755)
        || !kl::writeFileAtomically(icon, *bytes))
        return std::string(kEntryIcon);
    return icon;
}
