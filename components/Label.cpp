#include "components/Label.h"

#include "components/SystemColors.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>

namespace pikora {

TLabel::TLabel(QWidget* parent)
    : TControl(parent)
{
    setFocusPolicy(Qt::NoFocus);
}

void TLabel::setCaption(const QString& caption)
{
    m_caption = caption;
    fitToText();
    update();
}

void TLabel::setFontColor(const QColor& color)
{
    m_fontColor = color;
    update();
}

void TLabel::setAutoSize(bool autoSize)
{
    m_autoSize = autoSize;
    fitToText();
}

void TLabel::Loaded()
{
    m_loading = false;
    fitToText();
}

void TLabel::fitToText()
{
    if (!m_autoSize || m_loading)
        return;
    const QFontMetrics metrics(font());
    resize(metrics.horizontalAdvance(m_caption), metrics.height());
}

void TLabel::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        fitToText();
    TControl::changeEvent(event);
}

void TLabel::paintEvent(QPaintEvent*)
{
    if (m_caption.isEmpty())
        return;
    QPainter painter(this);
    painter.setPen(m_fontColor.isValid() ? m_fontColor : clWindowText());
    painter.setFont(font());
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, m_caption);
}




} // namespace pikora
