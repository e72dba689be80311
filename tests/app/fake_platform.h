// A platform that answers dialogs from a script and records what the window asked of it.
#pragma once

#include <QList>
#include <QStringList>

#include "bytes.h"
#include "platform.h"

// A start as the tests compare it: the command's bytes, and its words as the window's text.
struct StartSeen {
    kl::LaunchCommand command;
    QString program;
    QStringList arguments;
    QString workingDirectory;
};

struct FakePlatform : Platform {
    struct Box {
        QString text;
        MessageStyle style;
        QString title;
    };
    QList<Box> boxes;
    QList<MessageAnswer> answers;  // for questions; Yes once the script runs out
    QStringList inputAnswers;
    QStringList folderAnswers;
    QStringList prompts;
    QList<StartSeen> starts;
    QList<std::optional<kl::Sha1>> playKeys;  // what each start's session is kept under
    bool startSucceeds = true;
    QStringList opened;
    bool openSucceeds = true;
    QStringList properties;
    int menus = 0;
    QList<std::optional<QPoint>> menuKeyboardPositions;
    int ends = 0;
    QList<kl::WineWarmUp> wineWarmUps;
    QRect screen{0, 0, 1920, 1080};
    // Called when the window starts something, to see the window's state at that moment.
    std::function<void()> onStart;

    MessageAnswer messageBox(QWidget*, const QString& text, MessageStyle style, const QString& title) override
    {
        boxes.append({text, style, title});
        if (style != MessageStyle::Question)
            return MessageAnswer::Ok;
        return answers.isEmpty() ? MessageAnswer::Yes : answers.takeFirst();
    }
    QString inputBox(QWidget*, const QString& prompt, const QString& title) override
    {
        prompts << title + QLatin1Char('|') + prompt;
        return inputAnswers.isEmpty() ? QString() : inputAnswers.takeFirst();
    }
    QString browseForFolder(QWidget*, const QString& prompt) override
    {
        prompts << prompt;
        return folderAnswers.isEmpty() ? QString() : folderAnswers.takeFirst();
    }
    bool startDetached(const kl::LaunchCommand& command, const std::string&, const std::optional<kl::Sha1>& key) override
    {
        playKeys.append(key);
        StartSeen seen{command, fromBytes(command.program), {}, fromBytes(command.workingDirectory)};
        for (const std::string& argument : command.arguments)
            seen.arguments << fromBytes(argument);
        starts.append(seen);
        if (onStart)
            onStart();
        return startSucceeds;
    }
    bool openWithShell(const QString& target) override
    {
        opened << target;
        return openSucceeds;
    }
    void showFileProperties(QWidget*, const QString& path) override { properties << path; }
    QRect screenGeometry(QWidget*) override { return screen; }
    void popupMenu(QMenu*, QAction*, std::optional<QPoint> byKeyboardAt) override
    {
        ++menus;
        menuKeyboardPositions << byKeyboardAt;
    }
    void endProgram() override { ++ends; }
    void prepareWine(const kl::WineWarmUp& warmUp) override { wineWarmUps.append(warmUp); }
    // Config > Pictures...: what the dialog was shown, and what it answers (Cancel by default).
    QList<kl::PictureSettings> pictureDialogs;
    std::optional<kl::PictureSettings> pictureAnswer;
    std::optional<kl::PictureSettings> pictureSettingsDialog(QWidget*, const kl::PictureSettings& current) override
    {
        pictureDialogs.append(current);
        return pictureAnswer;
    }
};
