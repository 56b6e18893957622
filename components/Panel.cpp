#include "components/Panel.h"

#include "components/SystemColors.h"

#include <QPainter>

namespace pikora {

namespace {

// One ring of a bevel: light on the top and left, dark on the bottom and
// right when raised, the other way round when lowered.
void drawBevel(QPainter& painter, QRect& rect, TPanel::TBevelCut cut, int width)
{
    if (cut == TPanel::bvNone)
        return;
    const QColor light = clBtnHighlight();
    const QColor dark = clBtnShadow();
    const QColor topLeft = cut == TPanel::bvRaised ? light : dark;
    const QColor bottomRight = cut == TPanel::bvRaised ? dark : light;
    for (int i = 0; i < width && rect.width() > 0 && rect.height() > 0; ++i) {
        painter.setPen(topLeft);
        painter.drawLine(rect.topLeft(), rect.topRight());
        painter.drawLine(rect.topLeft(), rect.bottomLeft());
        painter.setPen(bottomRight);
        painter.drawLine(rect.bottomLeft(), rect.bottomRight());
        painter.drawLine(rect.topRight(), rect.bottomRight());
        rect.adjust(1, 1, -1, -1);
    }
}

} // namespace

TPanel::TPanel(QWidget* parent)
    : TControl(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TPanel::setCaption(const QString& caption)
{
    m_caption = caption;
    update();
}

void TPanel::setBevelOuter(TBevelCut cut)
{
    m_bevelOuter = cut;
    bevelsChanged();
}

void TPanel::setBevelInner(TBevelCut cut)
{
    m_bevelInner = cut;
    bevelsChanged();
}

void TPanel::setBevelWidth(int width)
{
    m_bevelWidth = std::max(1, width);
    bevelsChanged();
}

void TPanel::setColor(const QColor& color)
{
    m_color = color;
    update();
}

void TPanel::setFontColor(const QColor& color)
{
    m_fontColor = color;
    update();
}

void TPanel::bevelsChanged()
{
    Realign();
    update();
}

QMargins TPanel::alignMargins() const
{
    const int size = (m_bevelOuter != bvNone ? m_bevelWidth : 0) + (m_bevelInner != bvNone ? m_bevelWidth : 0);
    return {size, size, size, size};
}

void TPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QRect rect = this->rect();
    painter.fillRect(rect, m_color.isValid() ? m_color : clBtnFace());
    // QPainter's rect() for lines is inclusive of the last pixel row/column.
    rect.adjust(0, 0, -1, -1);
    drawBevel(painter, rect, m_bevelOuter, m_bevelWidth);
    drawBevel(painter, rect, m_bevelInner, m_bevelWidth);
    if (!m_caption.isEmpty()) {
        painter.setPen(m_fontColor.isValid() ? m_fontColor : clWindowText());
        painter.setFont(font());
        painter.drawText(rect.adjusted(0, 0, 1, 1), Qt::AlignCenter | Qt::TextSingleLine, m_caption);
    }
}




} // namespace pikora
