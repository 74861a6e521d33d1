#pragma once
// The accessible names of an editor page's controls, so that a screen reader says what each one
// sets. A value control is named by the label of its parameter in the voice's parameter table (FM
// edit's boxes by the caption of their field), with the element's letter where it belongs to an
// element; any other control by its own text, its label's, or its frame's title.

class QWidget;

namespace klangor {

// Names every control of the page; called once the page's controls are made and laid out.
void nameControls(QWidget& page);

} // namespace klangor
