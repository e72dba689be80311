// The window's messages, titles and questions, word for word.
#pragma once

#include <QString>

#include <string_view>

namespace window_text {

inline const QString kTitle = QStringLiteral("Kalmora Launcher - GUI for Kalmora Boy");
inline const QString kErrorTitle = QStringLiteral("Error");
inline const QString kNoFile = QStringLiteral("No file has been selected.");
inline const QString kNoFolder =
    QStringLiteral("Folder does not exist. Please set a path to your ROM images on the \"Paths\" register.");
inline const QString kPreviewIntro =
    QStringLiteral("The following parameter are currently chosen and will be passed on to Kalmora Boy: ");
inline const QString kPreviewTitle = QStringLiteral("Parameter");
inline const QString kLaunched = QStringLiteral("Status: Emulator launched with file ");
inline const QString kPatchedBy = QStringLiteral(", patched by ");
inline const QString kRefreshed = QStringLiteral("Status: File list refreshed");
inline const QString kEmuPrompt = QStringLiteral(
    "Please choose the folder, where the Nintendo Virtual Boy emulator \"kalmora_boy.exe\" is located in:");
inline const QString kRomPrompt =
    QStringLiteral("Please choose the folder, where your Nintendo Virtual Boy ROM images are located in:");
inline const QString kSaveEmuFailed = QStringLiteral(
    "Could not save emulator configuration to file \"%1\". Please make sure that the folder exists and that you "
    "have the right to write to it.");
inline const QString kSaveGuiFailed = QStringLiteral(
    "Could not save GUI configuration to file \"%1\". Please make sure that the folder exists and that you have "
    "the right to write to it.");
inline const QString kRenamePrompt = QStringLiteral("Please enter a new name for \"%1\":");
inline const QString kRenameTitle = QStringLiteral("Rename file");
inline const QString kRenamed = QStringLiteral("Status: File \"%1\" renamed to \"%2\"");
inline const QString kRenameFailed = QStringLiteral(
    "Could not rename \"%1\". This file is probably in use or the new name contains invalid characters.");
inline const QString kDeleteQuestion = QStringLiteral("Do you really want to delete \"%1\"?");
inline const QString kDeleteTitle = QStringLiteral("Delete file");
inline const QString kDeleted = QStringLiteral("Status: File \"%1\" deleted");
inline const QString kDeleteFailed =
    QStringLiteral("Could not delete \"%1\". This file is probably write protected or in use.");
inline const QString kOwnOptions = QStringLiteral(", with its own options");
inline const QString kKept = QStringLiteral("Status: Options kept for \"%1\"");
inline const QString kForgotten = QStringLiteral("Status: Options for \"%1\" forgotten");
inline const QString kKeepNameUnusable =
    QStringLiteral("The options for \"%1\" cannot be kept: its name is too long for a file name.");
inline const QString kKeepFailed = QStringLiteral(
    "Could not keep the options for \"%1\" in file \"%2\". Please make sure that the folder exists and that you "
    "have the right to write to it.");
inline const QString kForgetFailed =
    QStringLiteral("Could not forget the options for \"%1\": file \"%2\" could not be deleted.");
inline const QString kForgetPlayTimeQuestion = QStringLiteral("Do you really want to forget the play time of \"%1\"?");
inline const QString kForgetPlayTimeTitle = QStringLiteral("Forget play time");
inline const QString kPlayTimeForgotten = QStringLiteral("Status: Play time of \"%1\" forgotten");
inline const QString kForgetPlayTimeFailed =
    QStringLiteral("Could not forget the play time of \"%1\": file \"%2\" could not be written.");
inline const QString kOpenFailed = QStringLiteral(
    "Could not open file \"%1\". Please make sure that folder and file exist and that a standard text editor for "
    "*.txt files is installed on your system.");

inline constexpr std::string_view kEntryIcon = "org.example.kalmora_launcher";
inline const QString kAddedToMenu = QStringLiteral("Status: \"%1\" added to the applications menu");
inline const QString kRemovedFromMenu = QStringLiteral("Status: \"%1\" removed from the applications menu");
inline const QString kEntryNotUtf8 = QStringLiteral(
    "\"%1\" cannot be added to the applications menu: the names of the file and its folders must be valid UTF-8 "
    "in a desktop entry.");
inline const QString kEntryFailed = QStringLiteral(
    "Could not write file \"%1\" for the applications menu. Please make sure that you have the right to write to "
    "the folder.");
inline const QString kEntryRemoveFailed =
    QStringLiteral("Could not remove \"%1\" from the applications menu: file \"%2\" could not be deleted.");

struct ResetQuestion {
    const char* title;
    const char* text;
};
inline constexpr ResetQuestion kResetEmu{"Reset emulator configuration",
                                  "Do you really want to reset the emulator configuration (paths are not affected)?"};
inline constexpr ResetQuestion kResetGui{"Reset GUI configuration",
                                  "Do you really want to reset the GUI configuration (paths are not affected)?"};
inline constexpr ResetQuestion kResetBoth{
    "Reset emulator and GUI configuration",
    "Do you really want to reset the emulator and GUI configuration (paths are not affected)?"};

inline const QString kPicturesNotKept = QStringLiteral("The picture settings could not be kept in \"%1\".");

// Config > Wine.
inline const QString kAutomaticWine = QStringLiteral("&Automatic (%1)");
inline const QString kNoWineFound = QStringLiteral("no Wine found");
inline const QString kWineChoiceNotKept = QStringLiteral("The choice of Wine could not be kept in \"%1\".");
inline const QString kWineChoiceGone =
    QStringLiteral("; the chosen Wine \"%1\" is gone, so \"%2\" was used");

}  // namespace window_text
