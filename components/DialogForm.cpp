#include "components/DialogForm.h"

#include "components/BorderIcons.h"
#include "components/SystemColors.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QWindow>

#include <algorithm>

namespace pikora {

namespace {

QMargins frameMarginsOf(const QWidget* window)
{
    const QWindow* handle = window ? window->windowHandle() : nullptr;
    return handle ? handle->frameMargins() : QMargins();
}

} // namespace

TDialogForm::TDialogForm(QWidget* parent)
    : QDialog(parent)
{
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setColor(QColor());
}

void TDialogForm::setColor(const QColor& color)
{
    m_color = color;
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, color.isValid() ? color : clBtnFace());
    setPalette(palette);
}

void TDialogForm::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Cancel)) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TDialogForm::showEvent(QShowEvent* event)
{
    if (!event->spontaneous()) {
        // The window that is active now is the one that opens this one: it
        // stays beneath it, and the window manager keeps the two together.
        QWidget* opener = QApplication::activeWindow();
        if (opener == this)
            opener = nullptr;
        if (QWindow* handle = windowHandle())
            handle->setTransientParent(opener ? opener->windowHandle() : nullptr);

        // Before the window manager has framed this window, its frame is the
        // one it had before, or else like the frame of the window opening it.
        QMargins frame = frameMarginsOf(this);
        if (frame.isNull())
            frame = m_frame;
        if (frame.isNull())
            frame = frameMarginsOf(opener);
        QPoint position;
        if (m_lastPosition)
            position = *m_lastPosition;
        else if (m_position == poScreenCenter)
            position = centredPosition(opener, frame);
        else
            position = designedPosition();
        // Placed by its client area: a frame position would leave the frame's
        // size to a window manager that is not always exact about it.
        setGeometry(QRect(position + QPoint(frame.left(), frame.top()), size()));
    }
    QDialog::showEvent(event);
}

void TDialogForm::hideEvent(QHideEvent* event)
{
    if (!event->spontaneous()) {
        const QMargins frame = frameMarginsOf(this);
        if (!frame.isNull())
            m_frame = frame;
        const QPoint client = m_clientOnScreen.value_or(geometry().topLeft());
        m_lastPosition = client - QPoint(m_frame.left(), m_frame.top());
        m_clientOnScreen.reset();
    }
    QDialog::hideEvent(event);
}

void TDialogForm::moveEvent(QMoveEvent* event)
{
    if (isVisible())
        m_clientOnScreen = clientPositionOnScreen(this);
    QDialog::moveEvent(event);
}

QPoint TDialogForm::designedPosition() const
{
    // Qt may or may not yet count a position given before the window had a
    // frame as the frame's: the description says what it is meant to be.
    const QVariant left = property("Left");
    const QVariant top = property("Top");
    if (left.isValid() && top.isValid())
        return {left.toInt(), top.toInt()};
    return frameGeometry().topLeft();
}

QPoint TDialogForm::centredPosition(const QWidget* opener, const QMargins& frame) const
{
    const QScreen* screen = opener && opener->screen() ? opener->screen() : this->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect area = screen->geometry();
    const QSize outer = size().grownBy(frame);
    return {area.x() + std::max(0, (area.width() - outer.width()) / 2),
            area.y() + std::max(0, (area.height() - outer.height()) / 2)};
}

} // namespace pikora
