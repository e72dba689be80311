// Argument handling with QCommandLineParser, before any window or display is needed.
#include "arguments.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

#include "bytes.h"
#include "launch/launcher.h"

namespace {

void print(std::FILE* stream, const QString& text)
{
    const std::string bytes = toBytes(text);
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
}

}  // namespace

Invocation parseArguments(int argc, char** argv)
{
    Invocation call;
    if (argc <= 1)
        return call;
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << fromBytes(argv[i]);

    // The parser's help text names the program through the application object.
    char name[] = "kalmora-launcher";
    char* appArgv[] = {name, nullptr};
    int appArgc = 1;
    QCoreApplication app(appArgc, appArgv);
    QCoreApplication::setApplicationName(QStringLiteral("kalmora-launcher"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KL_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Kalmora Launcher - GUI for Kalmora Boy.\n"
        "Without arguments the window opens. With FILE, the ROM image is launched with the options of the\n"
        "running window, or with the saved options when no window is running."));
    // Not addHelpOption(): its --help-all lists Qt's own options, which this program does not take.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Displays help on command-line options."));
    parser.addOption(help);
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption run(QStringLiteral("run"),
                                 QStringLiteral("Launch FILE with the saved options, wait for the emulator and exit "
                                                "with its exit status."));
    const QCommandLineOption printCommand(QStringLiteral("print-command"),
                                          QStringLiteral("Print the command that --run would start, as shell words, "
                                                         "then the folder it starts in."));
    const QCommandLineOption installEntry(
        QStringLiteral("install-desktop-entry"),
        QStringLiteral("Add this copy of the launcher to your applications menu (its desktop entry, icons, file type "
                       "and AppStream metainfo in ~/.local/share); again after moving it."));
    const QCommandLineOption removeEntry(QStringLiteral("remove-desktop-entry"),
                                         QStringLiteral("Remove what --install-desktop-entry added."));
    parser.addOption(run);
    parser.addOption(printCommand);
    const QCommandLineOption listWine(
        QStringLiteral("list-wine"),
        QStringLiteral("List the Wine and Proton builds of Steam, Lutris, Bottles and Heroic that were found, one a "
                       "line (name, a tab, its program); * marks the one a start would use."));
    parser.addOption(installEntry);
    parser.addOption(listWine);
    parser.addOption(removeEntry);
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("A Virtual Boy ROM image."),
                                 QStringLiteral("[FILE]"));

    call.mode = Invocation::Mode::Finished;
    const auto usageError = [&](const QString& message) {
        print(stderr, QStringLiteral("kalmora-launcher: %1\n\n").arg(shown(message)) + parser.helpText());
        call.status = 2;
        return call;
    };
    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (parser.isSet(help)) {
        print(stdout, parser.helpText());
        return call;
    }
    if (parser.isSet(version)) {
        print(stdout, QStringLiteral("kalmora-launcher %1\n").arg(QStringLiteral(KL_VERSION)));
        return call;
    }
    const QStringList files = parser.positionalArguments();
    if (parser.isSet(listWine)) {
        if (!files.isEmpty() || parser.isSet(run) || parser.isSet(printCommand) || parser.isSet(installEntry)
            || parser.isSet(removeEntry))
            return usageError(QStringLiteral("--list-wine takes nothing else."));
        call.mode = Invocation::Mode::ListWine;
        return call;
    }
    if (parser.isSet(installEntry) || parser.isSet(removeEntry)) {
        if (parser.isSet(installEntry) && parser.isSet(removeEntry))
            return usageError(QStringLiteral("--install-desktop-entry and --remove-desktop-entry exclude each other."));
        if (!files.isEmpty() || parser.isSet(run) || parser.isSet(printCommand))
            return usageError(QStringLiteral("--install-desktop-entry and --remove-desktop-entry take no FILE."));
        call.mode = parser.isSet(installEntry) ? Invocation::Mode::InstallDesktopEntry
                                               : Invocation::Mode::RemoveDesktopEntry;
        return call;
    }
    if (parser.isSet(run) && parser.isSet(printCommand))
        return usageError(QStringLiteral("--run and --print-command exclude each other."));
    if (files.size() > 1)
        return usageError(QStringLiteral("Only one FILE can be launched."));
    if (files.isEmpty() || files.first().isEmpty())
        return usageError(QStringLiteral("FILE is missing."));
    call.file = kl::absoluteAgainst(toBytes(files.first()), kl::currentFolder());
    call.mode = parser.isSet(run)            ? Invocation::Mode::Run
                : parser.isSet(printCommand) ? Invocation::Mode::PrintCommand
                                             : Invocation::Mode::Open;
    return call;
}
