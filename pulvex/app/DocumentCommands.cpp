#include "DocumentCommands.h"

#include "RecentFiles.h"
#include "UserDialogs.h"
#include "pulvex/model/DrumMapFormats.h"
#include "pulvex/model/PulvexDoc.h"

#include <QFileInfo>
#include <QWidget>

namespace pulvex_app {
namespace {

using pulvex::CPulvexDoc;

const QStringList kCubaseFilters = {"Cubase DrumMap (*.drm)", "All Files (*.*)"};

QString fileNameOf(const QString& path) {
    return QFileInfo(path).fileName();
}

} // namespace

DocumentCommands::DocumentCommands(CPulvexDoc& doc, RecentFiles& recent, QWidget& window)
    : doc_(doc), recent_(recent), window_(window) {}

void DocumentCommands::replaced() {
    doc_.changed();
    if (onDocumentReplaced) onDocumentReplaced();
}

void DocumentCommands::OnFileNew() {
    auto onChanged = std::move(doc_.onChanged);
    doc_ = CPulvexDoc{};
    doc_.onChanged = std::move(onChanged);
    doc_.title = kNewDocumentTitle;
    path_.clear();
    replaced();
}

bool DocumentCommands::SaveModified() {
    if (!doc_.modified) return true;
    const auto answer = userDialogs().message(
        &window_, QMessageBox::Warning, {},
        QString("Save changes to %1?").arg(QString::fromStdString(doc_.title)),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::Cancel) return false;
    if (answer == QMessageBox::No) return true;
    return OnFileSaveAs();
}

void DocumentCommands::OnFileOpen() {
    if (!SaveModified()) return;
    const QString path =
        userDialogs().openFile(&window_, {"Open", QFileInfo(path_).path(), kCubaseFilters, "drm"});
    if (!path.isEmpty()) OpenDocumentFile(path);
}

bool DocumentCommands::OpenDocumentFile(const QString& path) {
    if (const auto error = pulvex::openDrmFile(doc_, path.toStdString())) {
        // The document stays as it was.
        showError(&window_, QString::fromStdString(*error));
        return false;
    }
    takeFile(path);
    replaced();
    return true;
}

bool DocumentCommands::OnFileSaveAs() {
    const QString proposed = path_.isEmpty() ? QString::fromStdString(doc_.title) + ".drm" : path_;
    const QString path =
        userDialogs().saveFile(&window_, {"Save As", proposed, kCubaseFilters, "drm"});
    if (path.isEmpty()) return false;
    if (const auto error = pulvex::saveDrmFile(doc_, path.toStdString())) {
        showError(&window_, QString::fromStdString(*error));
        return false;
    }
    takeFile(path);
    doc_.changed();
    return true;
}

void DocumentCommands::takeFile(const QString& path) {
    // The document is now that file: its name is the title, and it joins the recent files.
    doc_.title = fileNameOf(path).toStdString();
    doc_.modified = false;
    path_ = QFileInfo(path).absoluteFilePath();
    if (const files::FileError error = recent_.add(path_))
        showError(&window_, QString("The list of recent files could not be saved.\n%1")
                                .arg(QString::fromStdString(*error)));
}

void DocumentCommands::OnSaveTheDrum() {
    saveSelection(SelectionFormat::TheDrum);
}

void DocumentCommands::OnSaveMasterDrum() {
    saveSelection(SelectionFormat::MasterDrum);
}

void DocumentCommands::saveSelection(SelectionFormat format) {
    const bool theDrum = format == SelectionFormat::TheDrum;
    const int limit = theDrum ? pulvex::kTheDrumLimit : pulvex::kMasterDrumLimit;
    const int selected = doc_.SelectedCount();
    if (selected == 0) {
        showExclamation(&window_, pulvex::kNothingToSave);
        return;
    }
    if (selected > limit && !askYesNo(&window_, pulvex::kTooManySelected)) return;

    FileDialogRequest request;
    request.caption = "Save As";
    request.proposedPath = QString::fromStdString(pulvex::proposedFileName(doc_.title));
    request.filters = {theDrum ? "The*Drum DrumMap (*.kbr)" : "Master Drum (*.cfg)",
                       "All Files (*.*)"};
    request.defaultSuffix = theDrum ? "kbr" : "cfg";
    const QString path = userDialogs().saveFile(&window_, request);
    if (path.isEmpty()) return;

    const auto error = theDrum ? pulvex::WriteTheDrumMap(doc_, path.toStdString())
                               : pulvex::WriteMasterDrumMap(doc_, path.toStdString(),
                                                            fileNameOf(path).toStdString());
    if (error) showError(&window_, QString::fromStdString(*error));
}

} // namespace pulvex_app
