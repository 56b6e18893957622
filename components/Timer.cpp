#include "components/Timer.h"

#include "content/Errors.h"

#include <QTimerEvent>

namespace pikora {

namespace {

int startSystemTimer(QObject* owner, int milliseconds)
{
    return owner->startTimer(milliseconds, Qt::PreciseTimer);
}

TTimer::Allocator g_allocator = startSystemTimer;

} // namespace

TTimer::TTimer(QObject* parent)
    : QObject(parent)
{
}

TTimer::~TTimer() = default;

TTimer::Allocator TTimer::setAllocator(Allocator allocator)
{
    Allocator previous = g_allocator;
    g_allocator = allocator ? allocator : startSystemTimer;
    return previous;
}

void TTimer::setInterval(int milliseconds)
{
    if (milliseconds == m_interval)
        return;
    m_interval = milliseconds;
    updateTimer();
}

void TTimer::setEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    updateTimer();
}

void TTimer::updateTimer()
{
    if (m_timerId != 0) {
        killTimer(m_timerId);
        m_timerId = 0;
    }
    if (m_interval > 0 && m_enabled) {
        m_timerId = g_allocator(this, m_interval);
        if (m_timerId == 0)
            throw EOutOfResources(std::string(texts::NoTimers));
    }
}

void TTimer::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_timerId)
        emit OnTimer();
    else
        QObject::timerEvent(event);
}

} // namespace pikora
