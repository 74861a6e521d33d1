#pragma once
// The Setup command: the property sheet "Pulvex Setup"; what its pages store on OK is the result.

class QWidget;
namespace pulvex {
class SettingsStore;
}

namespace pulvex_app {
void runSetupCommand(QWidget* parent, pulvex::SettingsStore& settings);
}
