#include "UserDialogs.h"

#include <QDialog>
#include <QFileDialog>

namespace pulvex_app {
namespace {

QMessageBox::StandardButton showBox(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                                    const QString& text, QMessageBox::StandardButtons buttons) {
    QMessageBox box(icon, caption.isEmpty() ? QString(kAppTitle) : caption, text, buttons, parent);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QString runFileDialog(QWidget* parent, const FileDialogRequest& request,
                      QFileDialog::AcceptMode mode) {
    QFileDialog dialog(parent, request.caption, request.proposedPath);
    dialog.setAcceptMode(mode);
    dialog.setNameFilters(request.filters);
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile
                                                       : QFileDialog::ExistingFile);
    // The save dialogs ask before replacing a file (QFileDialog's default), and there is no
    // read-only box to hide.
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    if (request.selectedFilter) *request.selectedFilter = dialog.selectedNameFilter();
    return dialog.selectedFiles().first();
}

UserDialogs defaultDialogs() {
    UserDialogs dialogs;
    dialogs.message = showBox;
    dialogs.saveFile = [](QWidget* parent, const FileDialogRequest& request) {
        return runFileDialog(parent, request, QFileDialog::AcceptSave);
    };
    dialogs.openFile = [](QWidget* parent, const FileDialogRequest& request) {
        return runFileDialog(parent, request, QFileDialog::AcceptOpen);
    };
    dialogs.chooseFolder = [](QWidget* parent, const FileDialogRequest& request) {
        return QFileDialog::getExistingDirectory(parent, request.caption, request.proposedPath);
    };
    dialogs.run = [](QDialog& dialog) { return dialog.exec(); };
    return dialogs;
}

} // namespace

UserDialogs& userDialogs() {
    static UserDialogs dialogs = defaultDialogs();
    return dialogs;
}

void restoreDefaultDialogs() {
    userDialogs() = defaultDialogs();
}

void showError(QWidget* parent, const QString& text) {
    userDialogs().message(parent, QMessageBox::Critical, {}, text, QMessageBox::Ok);
}

void showExclamation(QWidget* parent, const QString& text) {
    userDialogs().message(parent, QMessageBox::Warning, {}, text, QMessageBox::Ok);
}

bool askYesNo(QWidget* parent, const QString& text) {
    return userDialogs().message(parent, QMessageBox::Question, {}, text,
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

} // namespace pulvex_app
