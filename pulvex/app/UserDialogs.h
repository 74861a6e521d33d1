#pragma once
// Every modal question and file dialog of the program goes through here, so that the windows keep
// no modal loop of their own and the tests can answer in the user's place.

#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <functional>

class QDialog;
class QWidget;

namespace pulvex_app {

inline constexpr const char* kAppTitle = "Pulvex for Windows";

struct FileDialogRequest {
    QString caption;
    QString proposedPath; // folder and/or name shown at first
    QStringList filters;  // "Cubase DrumMap (*.drm)", "All Files (*.*)"
    QString defaultSuffix;
    // When set, receives the filter chosen when the dialog closed.
    QString* selectedFilter = nullptr;
};

struct UserDialogs {
    // A message box captioned with the caption, or the program's title when it is empty; returns
    // the button pressed.
    std::function<QMessageBox::StandardButton(QWidget* parent, QMessageBox::Icon icon,
                                              const QString& caption, const QString& text,
                                              QMessageBox::StandardButtons buttons)>
        message;
    // A path, or empty when the user cancelled.
    std::function<QString(QWidget* parent, const FileDialogRequest&)> saveFile;
    std::function<QString(QWidget* parent, const FileDialogRequest&)> openFile;
    // An existing folder, or empty when the user cancelled (filters and suffix are not used).
    std::function<QString(QWidget* parent, const FileDialogRequest&)> chooseFolder;
    // Runs a dialog modally and returns its result (QDialog::Accepted or Rejected).
    std::function<int(QDialog& dialog)> run;
};

// The program's dialogs; the defaults show real windows. Tests replace members.
UserDialogs& userDialogs();
void restoreDefaultDialogs();

// Shorthands for the common boxes, captioned with the program's title.
void showError(QWidget* parent, const QString& text);
void showExclamation(QWidget* parent, const QString& text);
bool askYesNo(QWidget* parent, const QString& text);

} // namespace pulvex_app
