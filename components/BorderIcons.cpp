#include "components/BorderIcons.h"

#include <QEvent>
#include <QGuiApplication>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace pikora {

namespace {

xcb_connection_t* x11Connection()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

// Qt asks an X11 window manager only to withhold the close, minimise and
// maximise functions for such a window; some managers then still draw a
// window-menu button. The Motif hints can say "title and border only", which
// they honour, so the hints are rewritten whenever Qt has made the window.
void requestTitleOnlyDecorations(QWidget* window)
{
    xcb_connection_t* connection = x11Connection();
    if (!connection)
        return;
    constexpr char name[] = "_MOTIF_WM_HINTS";
    xcb_intern_atom_reply_t* atom =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, std::strlen(name), name), nullptr);
    if (!atom)
        return;
    enum : std::uint32_t {
        HintsFunctions = 1u << 0,
        HintsDecorations = 1u << 1,
        FuncResize = 1u << 1,
        FuncMove = 1u << 2,
        DecorBorder = 1u << 1,
        DecorResizeHandle = 1u << 2,
        DecorTitle = 1u << 3,
    };
    const std::uint32_t hints[5] = {HintsFunctions | HintsDecorations, FuncResize | FuncMove,
                                    DecorBorder | DecorResizeHandle | DecorTitle, 0, 0};
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, xcb_window_t(window->winId()), atom->atom,
                        atom->atom, 32, 5, hints);
    xcb_flush(connection);
    std::free(atom);
}

class RewriteHintsOnShow : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // Shown: Qt has created the native window and written its own hints,
        // and the window manager has not yet seen it mapped.
        if (event->type() == QEvent::Show)
            requestTitleOnlyDecorations(static_cast<QWidget*>(watched));
        return false;
    }
};

} // namespace

std::optional<QPoint> clientPositionOnScreen(const QWidget* window)
{
    xcb_connection_t* connection = x11Connection();
    if (!connection || !window->internalWinId())
        return std::nullopt;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    xcb_translate_coordinates_reply_t* reply = xcb_translate_coordinates_reply(
        connection, xcb_translate_coordinates(connection, xcb_window_t(window->internalWinId()), screen->root, 0, 0),
        nullptr);
    if (!reply)
        return std::nullopt;
    const QPoint position(reply->dst_x, reply->dst_y);
    std::free(reply);
    return position;
}

void removeSystemMenu(QWidget* window)
{
    window->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        window->installEventFilter(new RewriteHintsOnShow(window));
}

} // namespace pikora
