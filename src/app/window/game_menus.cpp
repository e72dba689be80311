// The window's recent games, the games' own entries in the desktop's applications menu and
// their play time.
#include "frmkl.h"

#include <QMenu>

#include "bytes.h"
#include "catalogues.h"
#include "config/play_times.h"
#include "config/recent_games.h"
#include "launch/desktop_entry.h"
#include "launch/patched_start.h"
#include "paths.h"
#include "texts.h"
#include "widgets/file_list_box.h"

using namespace window_text;

void frmKL::recordRecentGame(const std::string& romPath)
{
    kl::recordRecentGame(m_config, romPath);  // a list that cannot be kept costs the start nothing
    showRecentGames();
}

void frmKL::showRecentGames()
{
    m_recentGames = kl::loadRecentGames(m_config);
    for (int i = 1; i <= kRecentItems; ++i) {
        QAction* item = mnuFileRecentGame[i];
        const bool used = static_cast<std::size_t>(i) <= m_recentGames.size();
        item->setVisible(used);
        if (!used)
            continue;
        const std::string& path = m_recentGames[static_cast<std::size_t>(i - 1)];
        const QString key = i < 10 ? QStringLiteral("&%1").arg(i) : QStringLiteral("1&0");
        QString name = shown(fromBytes(kl::splitPath(path).name));
        item->setText(key + QLatin1Char(' ') + name.replace(QLatin1Char('&'), QLatin1String("&&")));
        item->setStatusTip(shown(fromBytes(path)));
        item->setToolTip(item->statusTip());
    }
    mnuFileRecent->menuAction()->setEnabled(!m_recentGames.empty());
}

void frmKL::mnuFileRecent_Click(int index)
{
    if (index < 1 || static_cast<std::size_t>(index) > m_recentGames.size())
        return;
    const std::string path = m_recentGames[static_cast<std::size_t>(index - 1)];
    if (!kl::isExistingFile(path)) {
        showError(fromBytes(kl::launchProblemText(kl::LaunchProblem::FileMissing, path)));
        kl::forgetRecentGame(m_config, path);
        showRecentGames();
        return;
    }
    launchHandedFile(path);
}

void frmKL::mnuFileRecentClear_Click()
{
    kl::clearRecentGames(m_config);
    showRecentGames();
}

std::string frmKL::selectedRomPath() const
{
    return kl::absoluteAgainst(joinedPath(lstFiles->selectedName()), kl::currentFolder());
}

void frmKL::showEntryItems()
{
    const bool has = !lstFiles->selectedName().empty() && kl::hasGameEntry(selectedRomPath());
    mnuFileRemoveFromMenu->setEnabled(has);
    popRemoveFromMenu->setEnabled(has);
}

void frmKL::mnuFileAddToMenu_Click()
{
    const auto rom = selectedFile();
    if (!rom)
        return;
    const std::string path = selectedRomPath();
    const QString name = fromBytes(*rom);
    const std::string title = verifiedGameName(path).value_or("");
    switch (kl::writeGameEntry(launcherPath(), path, entryIcon(path), title)) {
    case kl::EntryResult::NotUtf8: showError(kEntryNotUtf8.arg(name)); break;
    case kl::EntryResult::Failed: showError(kEntryFailed.arg(fromBytes(kl::gameEntryPath(path)))); break;
    case kl::EntryResult::Written: setStatus(kAddedToMenu.arg(name)); break;
    }
    showEntryItems();
}

void frmKL::mnuFileRemoveFromMenu_Click()
{
    const auto rom = selectedFile();
    if (!rom)
        return;
    const std::string path = selectedRomPath();
    if (!kl::hasGameEntry(path))
        return;
    if (kl::removeGameEntry(path))
        setStatus(kRemovedFromMenu.arg(fromBytes(*rom)));
    else
        showError(kEntryRemoveFailed.arg(fromBytes(*rom), fromBytes(kl::gameEntryPath(path))));
    showEntryItems();
}

void frmKL::carryGameEntry(const std::string& oldPath, const std::string& newPath)
{
    // Only a game with an entry is read for the catalogues' name.
    if (kl::hasGameEntry(oldPath))
        kl::moveGameEntry(launcherPath(), oldPath, newPath,
                          entryIcon(newPath), verifiedGameName(newPath).value_or(""));
}

std::string frmKL::launcherPath() const { return kl::launcherPath(toBytes(m_programFolder), m_config.installed); }

void frmKL::popAddToMenu_Click() { mnuFileAddToMenu_Click(); }
void frmKL::popRemoveFromMenu_Click() { mnuFileRemoveFromMenu_Click(); }

std::optional<kl::Sha1> frmKL::selectedPlayedGame()
{
    if (lstFiles->selectedName().empty())
        return std::nullopt;
    const auto records = kl::loadPlayTimes(m_config);
    if (!records || records->empty())
        return std::nullopt;
    const auto game = kl::playKeyOfGame(selectedRomPath());
    return game && kl::findPlayRecord(*records, *game) ? game : std::nullopt;
}

void frmKL::popForgetPlayTime_Click()
{
    const auto rom = selectedFile();
    const auto game = rom ? selectedPlayedGame() : std::nullopt;
    if (!game)
        return;
    const QString name = fromBytes(*rom);
    if (m_platform.messageBox(this, kForgetPlayTimeQuestion.arg(name), MessageStyle::Question, kForgetPlayTimeTitle)
        == MessageAnswer::No)
        return;
    if (!kl::forgetPlayTime(m_config, *game)) {
        showError(kForgetPlayTimeFailed.arg(name, fromBytes(kl::playTimesPath(m_config))));
        return;
    }
    setStatus(kPlayTimeForgotten.arg(name));
}
