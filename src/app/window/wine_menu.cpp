// Config > Wine: which Wine a Windows emulator starts through, where none is installed or
// another is wanted. The builds are found anew each time the menu opens (a folder read, no
// program started), so one installed meanwhile shows at once.
#include "frmkl.h"

#include <QActionGroup>
#include <QMenu>

#include "bytes.h"
#include "texts.h"

using namespace window_text;

namespace {

// Menu captions take & as the access key's mark.
QString menuText(const std::string& name) { return fromBytes(name).replace(QLatin1Char('&'), QStringLiteral("&&")); }

}  // namespace

void frmKL::mnuConfigWine_AboutToShow()
{
    mnuConfigWine->clear();
    auto* group = new QActionGroup(mnuConfigWine);
    kl::StartEnvironment automatic = kl::currentStartEnvironment();
    const std::vector<kl::WineBuild> builds = kl::findWineBuilds(kl::wineSearchOf(automatic));
    const auto wine = kl::chooseWine(automatic, builds);
    const std::optional<kl::WineChoice> kept = kl::loadWineChoice(m_config);
    const auto add = [&](const QString& caption, const std::optional<kl::WineChoice>& choice, bool checked) {
        QAction* action = mnuConfigWine->addAction(caption);
        action->setObjectName(QStringLiteral("mnuConfigWineItem"));
        action->setCheckable(true);
        action->setChecked(checked);
        group->addAction(action);
        connect(action, &QAction::triggered, this, [this, choice] { mnuConfigWine_Click(choice); });
    };
    bool keptFound = false;
    for (const kl::WineBuild& build : builds)
        keptFound = keptFound || (kept && kept->program == build.program);
    add(kAutomaticWine.arg(wine ? menuText(kl::wineNameOf(*wine)) : kNoWineFound), std::nullopt, !keptFound);
    for (const kl::WineBuild& build : builds)
        add(menuText(build.name), kl::WineChoice{build.program, build.name}, keptFound && kept->program == build.program);
}

void frmKL::mnuConfigWine_Click(const std::optional<kl::WineChoice>& choice)
{
    if (!kl::keepWineChoice(m_config, choice))
        showError(kWineChoiceNotKept.arg(fromBytes(kl::wineChoicePath(m_config))));
}
