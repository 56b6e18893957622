#include "components/MessageBox.h"

#include "components/Application.h"

#include <QApplication>
#include <QMessageBox>
#include <QScreen>

namespace pikora {

namespace {

// Centred on the whole screen by its outer size: left = screen width div 2 -
// box width div 2, likewise top.
class CentredMessageBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void showEvent(QShowEvent* event) override
    {
        QMessageBox::showEvent(event); // settles the box's size
        centre();
    }

    bool event(QEvent* event) override
    {
        // The frame's size is known only once the window manager has framed
        // the box, which it has by the time the box is activated.
        if (event->type() == QEvent::WindowActivate && !m_framed) {
            m_framed = true;
            centre();
        }
        return QMessageBox::event(event);
    }

private:
    void centre()
    {
        const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
        const QRect area = screen->geometry();
        const QSize size = frameGeometry().size();
        const QPoint target(area.x() + area.width() / 2 - size.width() / 2,
                            area.y() + area.height() / 2 - size.height() / 2);
        if (frameGeometry().topLeft() != target)
            move(target);
    }

    bool m_framed = false;
};

} // namespace

void ShowMessage(const QString& text)
{
    CentredMessageBox box(QMessageBox::NoIcon, applicationTitle(), text, QMessageBox::Ok,
                          QApplication::activeWindow());
    box.setWindowModality(Qt::ApplicationModal);
    box.setEscapeButton(QMessageBox::Ok);
    box.exec();
}

} // namespace pikora
