#include "components/Design.h"

#include "components/Control.h"

#include <QWidget>

namespace pikora {

namespace {

void applyFontPixels(QWidget* widget)
{
    const QVariant pixels = widget->property("fontPixels");
    if (pixels.isValid()) {
        QFont font = widget->font();
        font.setPixelSize(pixels.toInt());
        widget->setFont(font);
    }
    for (QWidget* child : widget->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        applyFontPixels(child);
}

} // namespace

void applyDesign(QWidget* window)
{
    applyFontPixels(window);
    const QVariant left = window->property("Left");
    const QVariant top = window->property("Top");
    if (left.isValid() && top.isValid())
        window->move(left.toInt(), top.toInt());
    for (TControl* control : window->findChildren<TControl*>())
        control->Loaded();
}

} // namespace pikora
