#pragma once
// The few parts of a window description that Designer files cannot say
// directly, given there as dynamic properties and applied after setupUi():
//   "Left", "Top"    on the window: its designed position on screen;
//   "fontPixels"     on any widget: its font's character height in pixels.
// Then every control of the window is told it is Loaded.

class QWidget;

namespace pikora {

void applyDesign(QWidget* window);

} // namespace pikora
