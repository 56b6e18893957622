#include "components/Control.h"

#include <QEvent>
#include <QMouseEvent>
#include <iterator>

#include <algorithm>
#include <vector>

namespace pikora {

namespace {

// Nested re-alignment (a child resized by its parent's alignment resizes its
// own children) is fine; re-entry into the same parent is not.
thread_local std::vector<const QWidget*> t_aligning;

void realignParentOf(QWidget* child)
{
    QWidget* parent = child->parentWidget();
    if (!parent)
        return;
    if (auto* control = qobject_cast<TControl*>(parent))
        control->Realign();
    else
        alignControls(parent, {}); // a window: its whole client area
}

} // namespace

TControl::TControl(QWidget* parent)
    : QWidget(parent)
{
}

void TControl::setAlign(TAlign align)
{
    if (m_align == align)
        return;
    m_align = align;
    realignParentOf(this);
}

bool TControl::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::ShowToParent:
    case QEvent::HideToParent:
        if (m_align != alNone)
            realignParentOf(this);
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

void TControl::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Realign();
}

void TControl::Realign()
{
    alignControls(this, alignMargins());
}

void TControl::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_pressed = true;
    event->accept();
}

void TControl::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() != Qt::LeftButton || !m_pressed)
        return;
    m_pressed = false;
    if (rect().contains(event->position().toPoint()))
        emit OnClick();
}

void TControl::mouseDoubleClickEvent(QMouseEvent* event)
{
    // Its release runs nothing: two quick clicks are one click.
    m_pressed = false;
    event->accept();
}

void alignControls(QWidget* parent, const QMargins& margins)
{
    if (std::find(t_aligning.begin(), t_aligning.end(), parent) != t_aligning.end())
        return;
    t_aligning.push_back(parent);

    std::vector<TControl*> controls;
    for (QObject* object : parent->children()) {
        auto* control = qobject_cast<TControl*>(object);
        if (control && control->Align() != TControl::alNone && !control->isHidden())
            controls.push_back(control);
    }

    // Left, top, right and bottom edges of what is still free; a parent too
    // small for its children leaves them a zero extent, never a negative one.
    int left = margins.left(), top = margins.top();
    int right = parent->width() - margins.right(), bottom = parent->height() - margins.bottom();
    const auto put = [](TControl* c, int x, int y, int w, int h) {
        c->setGeometry(x, y, std::max(0, w), std::max(0, h));
    };
    const auto place = [&](TControl::TAlign align, auto before, auto put) {
        std::vector<TControl*> group;
        std::copy_if(controls.begin(), controls.end(), std::back_inserter(group),
                     [&](TControl* c) { return c->Align() == align; });
        std::stable_sort(group.begin(), group.end(), before);
        for (TControl* c : group)
            put(c);
    };

    place(TControl::alTop, [](auto* a, auto* b) { return a->y() < b->y(); }, [&](TControl* c) {
        const int h = c->height();
        put(c, left, top, right - left, h);
        top += h;
    });
    place(TControl::alBottom, [](auto* a, auto* b) { return a->y() + a->height() > b->y() + b->height(); },
          [&](TControl* c) {
              const int h = c->height();
              put(c, left, bottom - h, right - left, h);
              bottom -= h;
          });
    place(TControl::alLeft, [](auto* a, auto* b) { return a->x() < b->x(); }, [&](TControl* c) {
        const int w = c->width();
        put(c, left, top, w, bottom - top);
        left += w;
    });
    place(TControl::alRight, [](auto* a, auto* b) { return a->x() + a->width() > b->x() + b->width(); },
          [&](TControl* c) {
              const int w = c->width();
              put(c, right - w, top, w, bottom - top);
              right -= w;
          });
    place(TControl::alClient, [](auto*, auto*) { return false; },
          [&](TControl* c) { put(c, left, top, right - left, bottom - top); });

    t_aligning.pop_back();
}

} // namespace pikora
