#pragma once
// Tells a page when the user committed a value on one of its controls: a spin box step or a typed
// value once it is finished, a check box, a radio button, a list or drop-down choice, a finished
// text, a table cell. Typing into a spin box is not a commitment until the box is left or Enter
// is pressed; push buttons are not watched (they do their own sending).

#include <QObject>
#include <functional>

class QWidget;

namespace klangor {

// Watches every control below `page` (call once its controls exist). `committed` runs for each
// commitment, including ones the program makes while filling the controls: the caller tells
// those apart. Every connection has `page` as its receiver, so that the page can cut them when it
// goes (a spin box losing the focus while the window closes still reports a commitment).
void watchEdits(QWidget* page, std::function<void(QObject* control)> committed);

} // namespace klangor
