#include "components/MessageBox.h"

#include "components/Application.h"

#include <QApplication>
#include <QMessageBox>
#include <QScreen>

namespace pikora {

namespace {

// A message box settles its size only while it is being shown, so it is
// centred then: left = screen width div 2 - box width div 2, likewise top.
class CentreOnShow : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show) {
            auto* box = static_cast<QWidget*>(watched);
            const QScreen* screen = box->screen() ? box->screen() : QGuiApplication::primaryScreen();
            const QRect area = screen->geometry();
            const QSize size = box->frameGeometry().size();
            box->move(area.x() + area.width() / 2 - size.width() / 2,
                      area.y() + area.height() / 2 - size.height() / 2);
        }
        return false;
    }
};

} // namespace

void ShowMessage(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, applicationTitle(), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setWindowModality(Qt::ApplicationModal);
    box.setEscapeButton(QMessageBox::Ok);
    CentreOnShow centre;
    box.installEventFilter(&centre);
    box.exec();
}

} // namespace pikora
