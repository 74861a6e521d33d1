#include "SetupCommand.h"

#include "SetupSheet.h"
#include "UserDialogs.h"

namespace pulvex_app {

void runSetupCommand(QWidget* parent, pulvex::SettingsStore& settings) {
    CSetupSheet sheet(settings, parent);
    sheet.message = [](QWidget* owner, const QString& text) { showExclamation(owner, text); };
    sheet.failure = [](QWidget* owner, const QString& text) { showError(owner, text); };
    // What is stored is what the pages' OK handlers wrote; the sheet's result does not matter.
    userDialogs().run(sheet);
}

} // namespace pulvex_app
