#pragma once
// Every handler that Qt invokes runs through dispatch(): it is the one place
// that catches the program's errors and shows them in the error box. Whatever
// the handler changed before the error stays changed; the program goes on.

#include <QObject>
#include <QString>

#include <exception>
#include <utility>

class QWidget;

namespace pikora {

// The text as the error box shows it: a final "." is added unless the text is
// empty or already ends in "." or a character with a lower code.
QString errorBoxText(const QString& text);

// Modal error box over the active window: application title as caption, an
// error icon, one OK button.
void showErrorBox(const QString& text);

// Shows the error that is currently being handled. Call only from a catch block.
void showCurrentException() noexcept;

template <typename Handler>
bool dispatch(Handler&& handler) noexcept
{
    try {
        std::forward<Handler>(handler)();
        return true;
    } catch (...) {
        showCurrentException();
        return false;
    }
}

// Connects a signal to a parameterless handler of the receiver, run through
// dispatch() so that no exception ever reaches Qt's event loop.
template <typename Sender, typename Signal, typename Receiver>
QMetaObject::Connection connectHandler(Sender* sender, Signal signal, Receiver* receiver,
                                       void (Receiver::*handler)())
{
    return QObject::connect(sender, signal, receiver,
                            [receiver, handler] { dispatch([&] { (receiver->*handler)(); }); });
}

} // namespace pikora
