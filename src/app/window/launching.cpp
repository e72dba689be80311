// The launch routine and its start of a planned command, for the list and a handed file alike.
#include "frmkl.h"

#include <QLineEdit>

#include "bytes.h"
#include "catalogues.h"
#include "ipc/handover.h"
#include "launch/launcher.h"
#include "wine/wine_choice.h"
#include "launch/parameter_string.h"
#include "paths.h"
#include "texts.h"
#include "widgets/file_list_box.h"

using namespace window_text;

void frmKL::mnuFileLaunch_Click()
{
    const bool preview = ShowParametersOnly == 1;
    if (!preview && lstFiles->fileName().isEmpty()) {
        showError(kNoFile);
        return;
    }
    const std::string romPath = toBytes(txtRomPath->text());
    if (!kl::CheckFolderExists(romPath) && !preview) {
        showError(kNoFolder);
        return;
    }
    if (preview) {
        m_platform.messageBox(this, kPreviewIntro + QStringLiteral("\r\r") + qs(kl::BuildParameterString(m_binder.read())),
                              MessageStyle::Information, kPreviewTitle);
        ShowParametersOnly = 0;
        return;
    }
    const std::string name = lstFiles->selectedName();
    const kl::StartEnvironment environment = kl::startEnvironmentFor(m_config);
    startEmulator(kl::planLaunch(m_binder.read(), romPath, name, environment, patchPlaceFor(m_config)), name,
                  kl::absoluteAgainst(kl::joinPath(romPath, name, kl::kNativeStyle), environment.currentFolder));
}

void takeHandedFiles(HandoverServer& server, frmKL& window)
{
    server.setTaking([&window] { return window.takesHandedFiles(); });
    QObject::connect(&server, &HandoverServer::fileHanded, &window, &frmKL::launchHandedFile);
}

void frmKL::launchHandedFile(const std::string& absolutePath)
{
    if (m_exiting)
        return;  // the options are being saved; nothing starts any more
    const std::string name = kl::splitPath(absolutePath).name;
    startEmulator(kl::planFileLaunch(m_scope.optionsFor(name, m_binder.read()), absolutePath,
                                     kl::startEnvironmentFor(m_config), patchPlaceFor(m_config)),
                  name, absolutePath);
}

bool frmKL::startEmulator(kl::LaunchPlan plan, const std::string& fileName, const std::string& path)
{
    if (plan.problem == kl::LaunchProblem::None && !m_platform.startDetached(plan.command, path, plan.playKey))
        plan.problem = kl::LaunchProblem::EmulatorNotFound;
    if (plan.problem != kl::LaunchProblem::None) {
        showError(fromBytes(kl::launchProblemText(plan, path)));
        return false;
    }
    QString status = kLaunched + QLatin1Char('"') + fromBytes(fileName) + QLatin1Char('"');
    if (!plan.patchName.empty())
        status += kPatchedBy + QLatin1Char('"') + fromBytes(plan.patchName) + QLatin1Char('"');
    // The choice stays kept: a Steam library on a card that is out now may be back next time.
    if (!plan.goneWineChoice.empty())
        status += kWineChoiceGone.arg(fromBytes(plan.goneWineChoice), fromBytes(plan.wineName));
    setStatus(status);
    recordRecentGame(path);
    if (mnuWindowMinimize->isChecked())
        setWindowState(windowState() | Qt::WindowMinimized);
    return true;
}

