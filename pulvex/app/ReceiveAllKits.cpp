#include "ReceiveAllKits.h"

#include "AllKitsDialogs.h"
#include "UserDialogs.h"
#include "WindowReceptionUi.h"

#include <QApplication>
#include <QDir>
#include <QMainWindow>
#include <memory>

namespace pulvex_app {
namespace {

using pulvex::DrumMapFormat;
using pulvex::KitsResult;

// Where the kits went: the last line of the report.
struct Saving {
    bool saved;
    QString line;
};

// Saves what was read as the user says.
Saving saveKits(QWidget& frame, const DrumMapFormat& format,
                const std::vector<pulvex::NamedKit>& kits) {
    if (kits.empty()) return {false, kNothingSaved};
    const QString suffix = format.suffix;
    QString path;
    files::FileError error;
    if (format.writeKits) {
        path = userDialogs().saveFile(
            &frame,
            {"Save As", "Pulvex kits." + suffix, {format.filter, "All Files (*.*)"}, suffix});
        if (path.isEmpty()) return {false, kNothingSaved};
        error = format.writeKits(kits, path.toStdString());
    } else {
        path = userDialogs().chooseFolder(&frame, {"Choose a folder for the kits", {}, {}, {}});
        if (path.isEmpty()) return {false, kNothingSaved};
        error = pulvex::writeKitFiles(format, kits, path.toStdString());
    }
    if (error) return {false, "Not saved: " + QString::fromStdString(*error)};
    return {true, QString("Saved in \"%1\".").arg(QDir::toNativeSeparators(path))};
}

} // namespace

void receiveAllKits(QMainWindow& frame, const pulvex::WireboxBinding& wirebox,
                    const pulvex::SettingsStore& settings, pulvex::WaveNameTable& names,
                    std::chrono::milliseconds replyTimeOut) {
    CReceiveAllKits choice(&frame);
    if (userDialogs().run(choice) != QDialog::Accepted) return;
    const DrumMapFormat& format = choice.format();

    WindowReceptionUi ui(frame);
    std::unique_ptr<CKitsProgress> window;
    pulvex::KitsProgress progress;
    progress.kitStarted = [&](int k, int n, const pulvex::KitAddress& kit) {
        if (!window) window = std::make_unique<CKitsProgress>(&frame);
        window->setKit(k, n, kit);
    };
    progress.cancelled = [&] {
        // The progress window is modal: of the user's input only its Cancel gets through. Before
        // it is there, nothing may: a menu command would start in the middle of the run.
        if (!window) return false;
        QApplication::processEvents();
        return window->cancelled();
    };
    const KitsResult result = pulvex::KitsReception(wirebox, settings, names, ui, replyTimeOut)
                                  .read(pulvex::kitsToRead(choice.bank(), std::nullopt), progress);
    window.reset();
    if (result.end == KitsResult::End::NotStarted) return; // the user has been told why

    const Saving saving = saveKits(frame, format, result.kits);
    const bool allWell = result.complete() && saving.saved;
    userDialogs().message(&frame, allWell ? QMessageBox::Information : QMessageBox::Warning, {},
                          QString::fromStdString(result.report()) + "\n" + saving.line,
                          QMessageBox::Ok);
}

} // namespace pulvex_app
