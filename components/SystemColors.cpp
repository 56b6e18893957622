#include "components/SystemColors.h"

#include <QApplication>
#include <QPalette>

namespace pikora {

namespace {
QColor role(QPalette::ColorRole r)
{
    return QApplication::palette().color(QPalette::Active, r);
}
} // namespace

QColor clBtnFace() { return role(QPalette::Button); }
QColor clBtnHighlight() { return role(QPalette::Light); }
QColor clBtnShadow() { return role(QPalette::Dark); }
QColor clWindow() { return role(QPalette::Base); }
QColor clWindowText() { return role(QPalette::WindowText); }

} // namespace pikora
