#pragma once

class QWidget;

namespace pikora {

// Takes the system menu off a window's border: its title bar keeps the title
// but loses the menu and the minimise, maximise and close buttons; the window
// can still be moved and resized.
void removeSystemMenu(QWidget* window);

} // namespace pikora
