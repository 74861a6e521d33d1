#pragma once
// Klangor's icon, drawn rather than shipped: the window uses it and the build saves it as the
// desktop entry's picture.

#include <QImage>

namespace klangor {

QImage klangorIcon(int size);

} // namespace klangor
