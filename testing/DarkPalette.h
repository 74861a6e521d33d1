#pragma once
// A dark palette for the Fusion style, as a desktop with a dark theme gives one: the screenshots
// show the windows in it, and the tests check that they read in it. The programs themselves always
// take the desktop's palette.

#include <QPalette>
#include <QString>

namespace testing_support {

QPalette darkPalette();

// Fusion with the dark palette while it lives; the style and palette before come back after.
class DarkFusion {
public:
    DarkFusion();
    ~DarkFusion();
    DarkFusion(const DarkFusion&) = delete;
    DarkFusion& operator=(const DarkFusion&) = delete;

private:
    QString previousStyle_;
    QPalette previousPalette_;
};

// Relative luminance, 0 for black to 1 for white, and the contrast ratio of two colours (1 to 21),
// as the web's accessibility rules define them.
double luminance(QRgb pixel);
double contrast(QRgb a, QRgb b);

} // namespace testing_support
