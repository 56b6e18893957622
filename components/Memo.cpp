#include "components/Memo.h"

#include "components/SystemColors.h"
#include "content/Text.h"

#include <QPalette>
#include <QTextOption>

namespace pikora {

TMemo::TMemo(QWidget* parent)
    : QPlainTextEdit(parent)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // Japanese has no spaces to break at: break between any two characters
    // where a word does not fit.
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setTabChangesFocus(true);
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    document()->setDocumentMargin(1);
    updateColors();
}

void TMemo::setReadOnly(bool readOnly)
{
    QPlainTextEdit::setReadOnly(readOnly);
    if (readOnly)
        setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

void TMemo::setColor(const QColor& color)
{
    m_color = color;
    updateColors();
}

void TMemo::setFontColor(const QColor& color)
{
    m_fontColor = color;
    updateColors();
}

void TMemo::updateColors()
{
    QPalette palette = this->palette();
    const QColor base = m_color.isValid() ? m_color : clWindow();
    const QColor text = m_fontColor.isValid() ? m_fontColor : clWindowText();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Base, base);
        palette.setColor(group, QPalette::Text, text);
    }
    setPalette(palette);
}

void TMemo::setText(const QString& text)
{
    // Plain text comes back unchanged from the document, except for no-break
    // spaces, which code page 932 text never contains.
    if (text == toPlainText())
        return;
    setPlainText(text);
}

void TMemo::LoadFromFile(const QString& fileName)
{
    setText(QString::fromStdU16String(loadText(fileName.toStdString())));
}

} // namespace pikora
