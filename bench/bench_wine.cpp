// From the window's launch (through its session watcher, as the program starts every game) to
// the Windows stand-in's first output under real Wine, the window opened a few seconds before (so Wine was made ready meanwhile), against a wine start of the
// same stand-in with a warm server; and a cold start against that same floor, as every launch
// was before. Without Wine or mingw-w64 the rows are skipped with a line.
#include <QApplication>
#include <QKeyEvent>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "bench_support.h"
#include "config/settings_file.h"
#include "launch/launcher.h"
#include "launch/process.h"
#include "platform.h"
#include "widgets/file_list_box.h"
#include "window/frmkl.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Setup {
    std::string emu, roms, record, prefix, wine, wineserver, program;
};
Setup g;

bool run(std::vector<std::string> words)
{
    kl::LaunchCommand command{words[0], {words.begin() + 1, words.end()}, "/", {}};
    const auto status = kl::runQuietly(command);
    return status && *status == 0;
}

// The stand-in built with mingw-w64 and a prefix of the benchmark's own, kept between runs.
bool prepare()
{
    kl::StartEnvironment env = kl::currentStartEnvironment();
    const auto wine = kl::findWine(env);
    const auto gcc = kl::findOnPath("x86_64-w64-mingw32-gcc", env.path);
    const auto server = kl::findOnPath("wineserver", env.path);
    if (!wine || !gcc || !server)
        return false;
    const char* tmp = std::getenv("TMPDIR");
    const std::string base = std::string(tmp && *tmp ? tmp : "/tmp") + "/kalmora-bench/wine";
    g = {base + "/emu", base + "/roms", base + "/emu/record.txt", base + "/prefix", *wine, *server, base + "/program"};
    for (const std::string& d : {std::string(tmp && *tmp ? tmp : "/tmp") + "/kalmora-bench", base, g.emu, g.roms,
                                 g.program, g.program + "/Data"})
        ::mkdir(d.c_str(), 0755);
    if (!run({*gcc, "-O2", "-o", g.emu + "/kalmora_boy.exe", KL_SOURCE_DIR "/tests/support/windows_stand_in.c",
              "-lshell32"}))
        return false;
    std::ofstream(g.roms + "/Game.vb") << "ROM\r\n";
    ::setenv("WINEPREFIX", g.prefix.c_str(), 1);
    ::setenv("WINEDEBUG", "-all", 1);
    ::setenv("WINEDLLOVERRIDES", "mscoree,mshtml=", 1);
    if (::access((g.prefix + "/system.reg").c_str(), F_OK) != 0 && !run({g.wine, "wineboot", "-i"}))
        return false;
    kl::EmulatorSettings s;
    kl::resetEmulatorDefaults(s);
    s.setText(kl::Field::txtEmuPath, g.emu);
    s.setText(kl::Field::txtRomPath, g.roms);
    return kl::saveSettingsFile(g.program + "/Data/Settings.ini", s);
}

void stopWine()
{
    run({g.wineserver, "-k"});
    run({g.wineserver, "-w"});  // until it has gone: a start meanwhile would wait for it
}

// Seconds from now until the stand-in's record appears.
double untilRecorded(Clock::time_point t0)
{
    while (::access(g.record.c_str(), F_OK) != 0) {
        if (Clock::now() - t0 > std::chrono::seconds(30))
            return -1;
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

double wineStart()
{
    ::unlink(g.record.c_str());
    const auto t0 = Clock::now();
    kl::startDetached({g.wine, {g.emu + "/kalmora_boy.exe", "Z:" + g.roms + "\\Game.vb"}, g.emu, {}}, kl::Streams::Null);
    return untilRecorded(t0);
}

void registerWine(const char* name, bool cold)
{
    benchmark::RegisterBenchmark(name, [cold](benchmark::State& state) {
        for (auto _ : state) {
            if (cold) {
                stopWine();
            } else {
                // Warm: a server that stays, and one start that brings the services up; they
                // settle before the start that is measured.
                stopWine();
                run({g.wineserver, "-p60"});
                wineStart();
                std::this_thread::sleep_for(std::chrono::seconds(1));
            }
            const double seconds = wineStart();
            if (seconds < 0) {
                state.SkipWithError("the stand-in did not start");
                break;
            }
            state.SetIterationTime(seconds);
        }
    })->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
}

// The window opens on a cold Wine, a few seconds pass, then its launch routine runs, or the
// user presses Alt+L (a key event as the window gets it, through its shortcuts).
void registerWindow(const char* name, bool byKey)
{
    benchmark::RegisterBenchmark(name, [byKey](benchmark::State& state) {
        for (auto _ : state) {
            stopWine();
            QtPlatform platform(kl::SessionWatcher{KL_WATCHER, g.program});
            frmKL w(platform, QString::fromStdString(g.program));
            w.Form_Load();
            w.show();
            w.activateWindow();
            w.makeWineReady();
            const auto opened = Clock::now();
            while (Clock::now() - opened < std::chrono::seconds(3))
                QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            w.lstFiles->setCurrentIndex(w.lstFiles->model()->index(0, 0));
            ::unlink(g.record.c_str());
            const auto t0 = Clock::now();
            if (byKey) {
                QKeyEvent altL(QEvent::KeyPress, Qt::Key_L, Qt::AltModifier, QStringLiteral("l"));
                QApplication::sendEvent(&w, &altL);
            } else {
                w.mnuFileLaunch_Click();
            }
            const double seconds = untilRecorded(t0);
            if (seconds < 0) {
                state.SkipWithError("the stand-in did not start from the window");
                break;
            }
            state.SetIterationTime(seconds);
        }
    })->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::string table;
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--table=", 8) == 0)
            table = argv[i] + 8;
    if (!prepare()) {
        std::FILE* out = table.empty() ? stdout : std::fopen(table.c_str(), "a");
        if (out) {
            std::fprintf(out, "| Wine start from the window: skipped, Wine or mingw-w64 is not installed | - | - | - | "
                              "<= 1.3 | - |\n");
            if (out != stdout)
                std::fclose(out);
        }
        return 0;
    }
    registerWindow("Wine start, window open 3 s before/project", false);
    registerWine("Wine start, window open 3 s before/floor", false);
    registerWindow("Wine start by Alt+L, window open 3 s before/project", true);
    registerWine("Wine start by Alt+L, window open 3 s before/floor", false);
    registerWine("Wine start, cold as before/project", true);
    registerWine("Wine start, cold as before/floor", false);
    const int rc = bench::runWithRatios(argc, argv, {{"Wine start, window open", {"<= 1.3", 1.3}}, {"Wine start by Alt+L", {"<= 1.3", 1.3}}});
    stopWine();
    return rc;
}
