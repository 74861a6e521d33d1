#pragma once
// The start-up window: a picture, the version line and a short disclaimer, shown until the main
// window appears.

#include <QWidget>

namespace pulvex_app {

inline constexpr const char* kSplashVersion = "Pulvex Version 2.0 (Win32 Edition)";

class CSplashWnd : public QWidget {
    Q_OBJECT
public:
    CSplashWnd();
};

} // namespace pulvex_app
