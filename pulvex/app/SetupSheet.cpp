#include "SetupSheet.h"

#include <QAbstractSpinBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QShortcut>
#include <QTabWidget>
#include <QVBoxLayout>

namespace pulvex_app {

void showSetupMessage(QWidget* parent, const QString& text) {
    QMessageBox::warning(parent, QStringLiteral("Pulvex for Windows"), text);
}

void showSetupFailure(QWidget* parent, const QString& text) {
    QMessageBox::critical(parent, QStringLiteral("Pulvex for Windows"), text);
}

CSetupSheet::CSetupSheet(pulvex::SettingsStore& settings, QWidget* parent,
                         const PortLister& listPorts)
    : QDialog(parent), settings_(settings) {
    setWindowTitle(tr("Pulvex Setup"));
    midiPage = new CSetup_Midi(settings, listPorts ? listPorts() : MidiPortLists{});
    drumsetPage = new CSetup_Drumset(settings);
    patchBayPage = new CSetup_PatchBay(settings);
    pages_ = {midiPage, drumsetPage, patchBayPage};

    tabs = new QTabWidget(this);
    tabs->addTab(midiPage, tr("MIDI"));
    tabs->addTab(drumsetPage, tr("Drumset"));
    tabs->addTab(patchBayPage, tr("Patch Bay"));
    buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addWidget(buttons);

    // The page keys as shortcuts of the sheet: they come before the focused control, which would
    // take them for itself (a list steps its value on Ctrl+PgDown).
    const std::pair<QKeySequence, int> pageKeys[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_Tab), 1},
        {QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), -1},
        {QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1},
    };
    for (const auto& [keys, step] : pageKeys)
        connect(new QShortcut(keys, this), &QShortcut::activated, this,
                [this, step = step] { turnPage(step); });

    connect(tabs, &QTabWidget::currentChanged, this, &CSetupSheet::pageChanged);
    connect(buttons, &QDialogButtonBox::accepted, this, &CSetupSheet::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CSetupSheet::reject);
}

bool CSetupSheet::currentPageAcceptable() {
    const SetupProblem problem = pages_[shown_]->check();
    if (!problem.field) return true;
    message(this, problem.message);
    problem.field->setFocus();
    if (auto* edit = qobject_cast<QAbstractSpinBox*>(problem.field)) edit->selectAll();
    return false;
}

void CSetupSheet::turnPage(int step) {
    const int count = tabs->count();
    tabs->setCurrentIndex((tabs->currentIndex() + step + count) % count);
}

// A page with a refused field cannot be left: the sheet goes back to it.
void CSetupSheet::pageChanged(int index) {
    if (goingBack_ || index == shown_ || index < 0) return;
    const int left = shown_;
    if (!pages_[left]->check().field) {
        shown_ = index;
        visited_[index] = true;
        return;
    }
    goingBack_ = true;
    tabs->setCurrentIndex(left);
    goingBack_ = false;
    currentPageAcceptable();
}

// A page that cannot be stored keeps the sheet open with what the user chose: after freeing the
// disk or the folder, OK can be pressed again.
void CSetupSheet::accept() {
    if (!currentPageAcceptable()) return;
    for (std::size_t k = 0; k < pages_.size(); ++k) {
        if (!visited_[k]) continue;
        if (const files::FileError error = pages_[k]->store(settings_)) {
            failure(this,
                    tr("The settings could not be saved.\n%1").arg(QString::fromStdString(*error)));
            return;
        }
    }
    QDialog::accept();
}

bool runSetupSheet(QWidget* parent, pulvex::SettingsStore& settings) {
    CSetupSheet sheet(settings, parent);
    return sheet.exec() == QDialog::Accepted;
}

} // namespace pulvex_app
