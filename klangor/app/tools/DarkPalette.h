#pragma once
// A dark palette for the Fusion style, as a desktop with a dark theme gives one: the screenshots
// show the windows in it, and the tests check that they read in it. The program itself always
// takes the desktop's palette.

#include <QPalette>

namespace klangor {

QPalette darkPalette();

} // namespace klangor
