#pragma once
// Watches for modal windows (message boxes, dialogs) while a test drives the
// program, records what each showed, and dismisses it as a user would.

#include <QMessageBox>
#include <QPoint>
#include <QPointer>
#include <QSize>
#include <QString>

#include <functional>
#include <vector>

namespace pikora::test {

struct SeenBox {
    QString className;
    QString title;
    QString text;                       // message boxes only
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttonCount = 0;
    QPoint framePosition;
    QSize frameSize;
    QSize screenSize;
};

// What to do with a modal window when it appears. Returning false leaves it
// open (the watcher asks again at the next poll).
using BoxAction = std::function<bool(QWidget* modal, const SeenBox& seen)>;

// Presses a key in the box.
BoxAction pressKey(Qt::Key key);

class ModalWatcher {
public:
    explicit ModalWatcher(BoxAction action = pressKey(Qt::Key_Return));
    ~ModalWatcher();
    ModalWatcher(const ModalWatcher&) = delete;
    ModalWatcher& operator=(const ModalWatcher&) = delete;

    const std::vector<SeenBox>& seen() const { return m_seen; }
    void setAction(BoxAction action) { m_action = std::move(action); }

private:
    void poll();

    BoxAction m_action;
    std::vector<SeenBox> m_seen;
    // The modal window last dealt with, until it closes: a dialog that is
    // shown again later, or a new box at the same address, counts anew.
    QPointer<QWidget> m_lastHandled;
    class Poller;
    Poller* m_poller = nullptr;
};

} // namespace pikora::test
