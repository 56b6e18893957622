#pragma once
// What the program asks of the window manager about a window's border, and
// where the window really is on an X11 screen.

#include <QPoint>

#include <optional>

class QWidget;

namespace pikora {

// Takes the system menu off a window's border: its title bar keeps the title
// but loses the menu and the minimise, maximise and close buttons; the window
// can still be moved and resized.
void removeSystemMenu(QWidget* window);

// The client area's top-left corner on screen as the X server has it, or
// nothing off X11. Some window managers report a window's position wrongly
// right after framing it, and Qt believes the report.
std::optional<QPoint> clientPositionOnScreen(const QWidget* window);

} // namespace pikora
