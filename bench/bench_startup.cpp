// Start-up to the first shown window, each in a fresh process, against a bare QMainWindow;
// and the peak resident memory of the window with 100,000 files listed.
#include <QApplication>
#include <QMainWindow>
#include <QWindow>

#include <sys/wait.h>

#include <chrono>
#include <cstring>
#include <optional>

#include "bench_support.h"
#include "browser/startup_listing.h"
#include "config/settings_file.h"
#include "window/frmkl.h"
#include "platform.h"

namespace {

enum class Start { Bare, Window };

void waitUntilExposed(QWidget& w)
{
    w.show();
    while (!w.windowHandle() || !w.windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    QCoreApplication::processEvents();
}

long peakResidentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

// A program folder whose Settings.ini points the list at the ROM folder.
std::string programFolder(const std::string& roms)
{
    const std::string folder = roms + ".program";
    ::mkdir(folder.c_str(), 0755);
    ::mkdir((folder + "/Data").c_str(), 0755);
    kl::EmulatorSettings s;
    kl::resetEmulatorDefaults(s);
    s.setText(kl::Field::txtEmuPath, "/nonexistent");
    s.setText(kl::Field::txtRomPath, roms);
    kl::saveSettingsFile(folder + "/Data/Settings.ini", s);
    return folder;
}

// The child: starts Qt and the window, writes the peak memory to the pipe once it is shown.
[[noreturn]] void child(Start start, const std::string& program, int out)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // As the program starts: the ROM folder is read ahead from before Qt starts.
    std::optional<kl::FolderPrefetch> prefetch;
    if (start == Start::Window)
        prefetch.emplace(program);
    int argc = 1;
    char name[] = "bench_startup";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    if (start == Start::Bare) {
        QMainWindow w;
        w.resize(560, 440);
        waitUntilExposed(w);
    } else {
        QtPlatform platform;
        frmKL w(platform, QString::fromStdString(program), &*prefetch);
        w.Form_Load();
        waitUntilExposed(w);
    }
    const long kib = peakResidentKiB();
    ssize_t written = ::write(out, &kib, sizeof kib);
    ::_exit(written == sizeof kib ? 0 : 1);
}

// Starts a process; returns the seconds until the window was shown and its peak memory.
std::pair<double, long> measure(Start start, const std::string& program)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return {0, -1};
    const auto t0 = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        // A whole process start: loading the program and Qt is part of every start-up.
        ::close(fds[0]);
        const std::string fd = std::to_string(fds[1]);
        const char* mode = start == Start::Bare ? "bare" : "window";
        ::execl("/proc/self/exe", "bench_startup", "--child", mode, program.c_str(), fd.c_str(), nullptr);
        ::_exit(127);
    }
    ::close(fds[1]);
    long kib = -1;
    const bool ok = ::read(fds[0], &kib, sizeof kib) == sizeof kib;
    const auto t1 = std::chrono::steady_clock::now();
    ::close(fds[0]);
    ::waitpid(pid, nullptr, 0);
    return {std::chrono::duration<double>(t1 - t0).count(), ok ? kib : -1};
}

void registerStart(const std::string& name, Start start, std::string program)
{
    benchmark::RegisterBenchmark(name.c_str(), [start, program](benchmark::State& state) {
        for (auto _ : state) {
            const auto [seconds, kib] = measure(start, program);
            if (kib < 0) {
                state.SkipWithError("the start failed");
                break;
            }
            state.SetIterationTime(seconds);
        }
    })->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 5 && std::strcmp(argv[1], "--child") == 0)
        child(std::strcmp(argv[2], "bare") == 0 ? Start::Bare : Start::Window, argv[3], std::atoi(argv[4]));

    // Made before any start, so no child pays for it.
    const std::string empty = programFolder(bench::emptyFolder());
    const std::string full = programFolder(bench::romFolder(100000));

    registerStart("start-up, empty folder/project", Start::Window, empty);
    registerStart("start-up, empty folder/floor", Start::Bare, empty);
    registerStart("start-up, 100000 files/project", Start::Window, full);
    registerStart("start-up, 100000 files/floor", Start::Bare, full);
    std::string table;
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--table=", 8) == 0)
            table = argv[i] + 8;
    const int rc = bench::runWithRatios(argc, argv,
                                        {{"start-up, 100000", {"<= 2.2", 2.2}}, {"start-up, empty", {"<= 1.7", 1.7}}});

    // Peak memory: the lowest of a few starts each, to keep out a stray page-cache effect.
    long emptyKiB = -1, fullKiB = -1;
    for (int i = 0; i < 3; ++i) {
        const long e = measure(Start::Window, empty).second, f = measure(Start::Window, full).second;
        emptyKiB = emptyKiB < 0 ? e : std::min(emptyKiB, e);
        fullKiB = fullKiB < 0 ? f : std::min(fullKiB, f);
    }
    const double perEntry = (fullKiB - emptyKiB) * 1024.0 / 100000;
    std::FILE* out = table.empty() ? stdout : std::fopen(table.c_str(), "a");
    if (!out)
        return 1;
    std::fprintf(out, "| peak memory, 100000 files shown | %ld KiB | %ld KiB (empty folder) | %.0f bytes/entry | <= 150 | %s |\n",
                 fullKiB, emptyKiB, perEntry, perEntry <= 150 ? "yes" : "NO");
    if (out != stdout)
        std::fclose(out);
    return rc;
}
