// Moving the selection down through 10,000 games, each with a picture in the pane beside the
// tabs, against the same moves with pictures off: each step's time on the GUI thread (the key,
// the window's handling of it, and whatever the picture thread handed back meanwhile).
#include <QApplication>
#include <QImage>
#include <QKeyEvent>

#include <fstream>

#include "bench_support.h"
#include "config/settings_file.h"
#include "pictures/thumbnails.h"
#include "platform.h"
#include "widgets/file_list_box.h"
#include "window/frmkl.h"

namespace {

constexpr int kGames = 10000;

// The games (.vb files) and, in a set of the thumbnail layout beside them, a box for each.
std::string gamesWithPictures()
{
    const std::string base = bench::emptyFolder() + "/../pictures-" + std::to_string(kGames);
    const std::string roms = base + "/roms", boxes = base + "/sets/Nintendo - Virtual Boy/Named_Boxarts";
    if (::access((base + ".complete").c_str(), F_OK) == 0)
        return base;
    kl::makeFolders(roms, 0755);
    kl::makeFolders(boxes, 0755);
    QImage box(256, 352, QImage::Format_RGB32);
    for (int i = 0; i < kGames; ++i) {
        const std::string name = "Game " + std::to_string(100000 + i) + " (Japan)";
        std::ofstream(roms + "/" + name + ".vb");
        box.fill(QColor::fromHsv(i % 360, 200, 200));
        box.save(QString::fromStdString(boxes + "/" + name + ".png"));
    }
    std::ofstream(base + ".complete") << kGames << '\n';
    return base;
}

std::string programFolder(const std::string& base, bool pictures)
{
    const std::string folder = base + (pictures ? "/with" : "/without");
    kl::makeFolders(folder + "/Data", 0755);
    kl::EmulatorSettings s;
    kl::resetEmulatorDefaults(s);
    s.setText(kl::Field::txtEmuPath, "/nonexistent");
    s.setText(kl::Field::txtRomPath, base + "/roms");
    kl::saveSettingsFile(folder + "/Data/Settings.ini", s);
    std::ofstream(folder + "/Data/Pictures.ini")
        << "[Pictures]\nShow=" << (pictures ? "true" : "false") << "\nFolder=" << base << "/sets\n";
    return folder;
}

void registerMoves(const char* name, const std::string& program)
{
    benchmark::RegisterBenchmark(name, [program](benchmark::State& state) {
        QtPlatform platform;
        frmKL window(platform, QString::fromStdString(program));
        window.Form_Load();
        window.show();
        QCoreApplication::processEvents();
        FileListBox* list = window.lstFiles;
        list->setFocus();
        int row = 0;
        for (auto _ : state) {
            const bool wrap = ++row >= kGames;
            QKeyEvent press(QEvent::KeyPress, wrap ? Qt::Key_Home : Qt::Key_Down, Qt::NoModifier);
            QCoreApplication::sendEvent(list, &press);
            QCoreApplication::processEvents();
            if (wrap)
                row = 0;
        }
    })->Unit(benchmark::kMicrosecond)->Iterations(kGames);
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::string base = gamesWithPictures();
    registerMoves("selection step, 10000 games with pictures/project", programFolder(base, true));
    registerMoves("selection step, 10000 games with pictures/floor", programFolder(base, false));
    return bench::runWithRatios(argc, argv, {{"selection step", {"<= 1.5", 1.5}}});
}
