#pragma once
// A window with a dialog border: fixed size, a title bar with only a close
// button. It is shown modally with exec(), over whichever window is active at
// that moment. Escape does not close it (unlike a plain QDialog); Enter
// presses the default button; the close button hides it.

#include <QColor>
#include <QDialog>
#include <QMargins>
#include <QPoint>

#include <optional>

namespace pikora {

class TDialogForm : public QDialog {
    Q_OBJECT
    Q_PROPERTY(TPosition position READ Position WRITE setPosition)
    Q_PROPERTY(QColor color READ Color WRITE setColor)

public:
    // poDesigned: where the window description puts it ("Left", "Top").
    // poScreenCenter: centred on the whole screen by its outer size the first
    // time it is shown, never above or left of the screen; afterwards where it
    // was when last hidden.
    enum TPosition { poDesigned, poScreenCenter };
    Q_ENUM(TPosition)

    explicit TDialogForm(QWidget* parent = nullptr);

    TPosition Position() const { return m_position; }
    void setPosition(TPosition position) { m_position = position; }
    // Invalid (the default) means the system's button-face colour.
    QColor Color() const { return m_color; }
    void setColor(const QColor& color);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    QPoint designedPosition() const;
    QPoint centredPosition(const QWidget* opener, const QMargins& frame) const;

    TPosition m_position = poDesigned;
    QColor m_color;
    // The frame's position when the window was last hidden, and the frame.
    std::optional<QPoint> m_lastPosition;
    std::optional<QPoint> m_clientOnScreen; // as the X server last had it
    QMargins m_frame;
};

} // namespace pikora
