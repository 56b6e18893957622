#pragma once
// A timer set by its interval alone: 0 stops it; a new non-zero interval
// (re)starts it; setting the interval it already has changes nothing.

#include <QObject>

namespace pikora {

class TTimer : public QObject {
    Q_OBJECT

public:
    explicit TTimer(QObject* parent = nullptr);
    ~TTimer() override;

    int Interval() const { return m_interval; }
    // Throws EOutOfResources when no timer can be had.
    void setInterval(int milliseconds);
    bool Enabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    bool isRunning() const { return m_timerId != 0; }

    // Stands in for the system's timer allocation; tests replace it to make
    // allocation fail. Returns 0 when no timer is available.
    using Allocator = int (*)(QObject* owner, int milliseconds);
    static Allocator setAllocator(Allocator allocator);

signals:
    void OnTimer();

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    void updateTimer();

    int m_interval = 0;
    bool m_enabled = true;
    int m_timerId = 0;
};

} // namespace pikora
