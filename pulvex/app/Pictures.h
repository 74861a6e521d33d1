#pragma once
// The program's pictures, built into it as resources (made by tools/make_pulvex_pictures).

#include <QImage>
#include <QString>

namespace pulvex_app {

inline constexpr const char* kSplashPicture = ":/pulvex/splash.png";     // 185 x 150
inline constexpr const char* kAboutPicture = ":/pulvex/about.png";       // 247 x 294
inline constexpr const char* kEmptyKitPicture = ":/pulvex/emptykit.png"; // 525 x 69, one bit
inline constexpr const char* kToolbarPicture = ":/pulvex/toolbar.png";   // 16 x 15 per button
inline constexpr const char* kStampPicture128 = ":/pulvex/stamp128.png";
inline constexpr const char* kStampPicture129 = ":/pulvex/stamp129.png";
inline constexpr const char* kProgramIcon = ":/pulvex/pulvex.png";

// The picture, or a null image when it is missing (the window then goes on without it).
QImage loadPicture(const char* name);

} // namespace pulvex_app
