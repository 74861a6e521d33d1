#include "DocumentCommands.h"

#include "RecentFiles.h"
#include "UserDialogs.h"
#include "pulvex/model/DrumMapExport.h"
#include "pulvex/model/PulvexDoc.h"

#include <QFileInfo>
#include <QInputDialog>
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
    OnExport(*pulvex::findDrumMapFormat("kbr"));
}

void DocumentCommands::OnSaveMasterDrum() {
    OnExport(*pulvex::findDrumMapFormat("cfg"));
}

bool DocumentCommands::selectionAllows(const pulvex::DrumMapFormat& format) {
    if (format.limit == 0) return true;
    const int selected = doc_.SelectedCount();
    if (selected == 0) {
        showExclamation(&window_, pulvex::kNothingToSave);
        return false;
    }
    return selected <= format.limit || askYesNo(&window_, pulvex::kTooManySelected);
}

const pulvex::DrumMapFormat* DocumentCommands::formatToWrite(const pulvex::DrumMapFormat& offered,
                                                             const QString& chosenFilter,
                                                             const QString& path) {
    const auto formats =
        pulvex::formatsForSavedFile(offered, chosenFilter.toStdString(), path.toStdString());
    if (formats.size() == 1) return formats.front();

    QInputDialog question(&window_);
    question.setWindowTitle(kAppTitle);
    question.setLabelText(QString("Several programs read .%1 files. Which one is \"%2\" for?")
                              .arg(QString::fromLatin1(formats.front()->suffix), fileNameOf(path)));
    QStringList labels;
    for (const pulvex::DrumMapFormat* format : formats)
        labels << QString::fromStdString(pulvex::formatTitle(*format));
    question.setComboBoxItems(labels);
    question.setComboBoxEditable(false);
    if (userDialogs().run(question) != QDialog::Accepted) return nullptr;
    const auto chosen = labels.indexOf(question.textValue());
    return chosen < 0 ? nullptr : formats[static_cast<std::size_t>(chosen)];
}

void DocumentCommands::OnExport(const pulvex::DrumMapFormat& offered) {
    if (!selectionAllows(offered)) return;

    QString chosenFilter;
    FileDialogRequest request;
    request.caption = "Save As";
    request.proposedPath = QString::fromStdString(pulvex::proposedFileName(doc_.title));
    request.filters = {offered.filter, "All Files (*.*)"};
    request.defaultSuffix = offered.suffix;
    request.selectedFilter = &chosenFilter;
    const QString path = userDialogs().saveFile(&window_, request);
    if (path.isEmpty()) return;

    const pulvex::DrumMapFormat* format = formatToWrite(offered, chosenFilter, path);
    if (!format || (format != &offered && !selectionAllows(*format))) return;
    if (const auto error = format->write(doc_, path.toStdString()))
        showError(&window_, QString::fromStdString(*error));
}

} // namespace pulvex_app
