#pragma once
// The named system colours the windows are designed with, taken from the
// application's palette so that they follow the desktop's style.

#include <QColor>

namespace pikora {

QColor clBtnFace();
QColor clBtnHighlight();
QColor clBtnShadow();
QColor clWindow();
QColor clWindowText();

} // namespace pikora
