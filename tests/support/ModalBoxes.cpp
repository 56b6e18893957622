#include "tests/support/ModalBoxes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <QTimer>

namespace pikora::test {

class ModalWatcher::Poller : public QObject {
public:
    explicit Poller(ModalWatcher* watcher) : m_watcher(watcher)
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] { m_watcher->poll(); });
        m_timer.start();
    }

private:
    ModalWatcher* m_watcher;
    QTimer m_timer;
};

BoxAction pressKey(Qt::Key key)
{
    return [key](QWidget* modal, const SeenBox&) {
        QWidget* target = modal->focusWidget() ? modal->focusWidget() : modal;
        QTest::keyClick(target, key);
        return true;
    };
}

ModalWatcher::ModalWatcher(BoxAction action)
    : m_action(std::move(action))
    , m_poller(new Poller(this))
{
}

ModalWatcher::~ModalWatcher()
{
    delete m_poller;
}

void ModalWatcher::poll()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (m_lastHandled && (!m_lastHandled->isVisible() || m_lastHandled != modal))
        m_lastHandled = nullptr;
    if (!modal || !modal->isVisible())
        return;
    SeenBox seen;
    seen.className = QString::fromLatin1(modal->metaObject()->className());
    seen.title = modal->windowTitle();
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        seen.text = box->text();
        seen.icon = box->icon();
        seen.buttonCount = int(box->buttons().size());
    }
    seen.framePosition = modal->frameGeometry().topLeft();
    seen.frameSize = modal->frameGeometry().size();
    if (const QScreen* screen = modal->screen())
        seen.screenSize = screen->geometry().size();
    if (modal == m_lastHandled)
        return; // still closing
    QPointer<QWidget> guard(modal);
    if (m_action(modal, seen)) {
        m_seen.push_back(seen);
        m_lastHandled = guard;
    }
}

} // namespace pikora::test
