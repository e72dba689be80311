// A program folder, a ROM folder and a window on a fake platform, for the window tests.
#pragma once

#include <QtTest>

#include <memory>

#include "fake_platform.h"
#include "window/frmkl.h"
#include "widgets/controls.h"
#include "widgets/file_list_box.h"

inline QStringList defaultSettingsLines(const QString& emu, const QString& rom)
{
    return {emu, rom, "True", "False", "False", "False", "False", " 0 ", "False", "True", "False", "False", "False",
            "False", "Normal", "1.0", " 0 ", "1x", "0 f./sec.", " 0 ", "True", "False", " 0 ", "None connected to PC",
            " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 "};
}

inline QByteArray crlf(const QStringList& lines)
{
    QByteArray out;
    for (const QString& l : lines)
        out += l.toUtf8() + "\r\n";
    return out;
}

inline void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

inline QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

struct WindowFixture {
    QTemporaryDir root;
    QString program;  // the program folder
    QString emu;
    QString roms;
    FakePlatform platform;
    std::unique_ptr<frmKL> window;

    WindowFixture()
    {
        program = root.filePath("prog");
        emu = root.filePath("emu dir");
        roms = root.filePath("roms");
        QDir().mkpath(program + "/Data");
        QDir().mkpath(emu);
        QDir().mkpath(roms);
        for (const char* name : {"b game.vb", "A Game.VB", "c.zip", "notes.txt"})
            writeFile(roms + "/" + QString::fromUtf8(name), QByteArray(1048576, 'r'));
    }

    void settings(const QStringList& lines) { writeFile(program + "/Data/Settings.ini", crlf(lines)); }
    void gui(const QByteArray& bytes) { writeFile(program + "/Data/GUI.ini", bytes); }
    void defaults() { settings(defaultSettingsLines(emu, roms)); }

    frmKL& start()
    {
        window = std::make_unique<frmKL>(platform, program);
        window->Form_Load();
        return *window;
    }

    // The program started once more on the same folders, as after an exit.
    static frmKL& startAgain(WindowFixture& fx)
    {
        fx.window.reset();
        fx.platform.ends = 0;
        return fx.start();
    }

    // Selects an entry as the keyboard would, which raises the list's selection event.
    void select(const QString& name)
    {
        FileListBox* list = window->lstFiles;
        const int row = list->entries().indexOf(name);
        QVERIFY2(row >= 0, qPrintable(name));
        list->setCurrentIndex(list->model()->index(row, 0));
    }

    // Pictures on, from a set in the fixture's folder holding a box of one colour for the game
    // named; the box's path.
    QString picturesOn(const QString& game, QColor colour, QSize size = {300, 400})
    {
        const QString boxes = root.filePath("sets/Nintendo - Virtual Boy/Named_Boxarts");
        QDir().mkpath(boxes);
        QImage box(size, QImage::Format_RGB32);
        box.fill(colour);
        box.save(boxes + '/' + game + ".png");
        writeFile(program + "/Data/Pictures.ini", "[Pictures]\nShow=true\nFolder=" + root.filePath("sets").toUtf8() + "\n");
        return boxes + '/' + game + ".png";
    }

    bool hidden() const { return window->lstFiles->pattern() == "*._dontdisplayfiles"; }
};
