#pragma once
// Records a PulseAudio source (the null sink's monitor) with parec into
// memory, noting when each block arrives so that a sample can be placed on
// the same monotonic clock as the calls that made it.

#include <QtCore/QString>

#include <chrono>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include <sys/types.h>

class Recorder {
public:
    static constexpr int rate = 48000;
    using Clock = std::chrono::steady_clock;

    Recorder() = default;
    ~Recorder();
    Recorder(const Recorder &) = delete;
    Recorder &operator=(const Recorder &) = delete;

    // Starts parec on source, mono float at 48 kHz with a short latency.
    // False, with the reason in why, when it cannot be started.
    bool start(const QString &source, QString *why);
    // Waits up to timeout for the first samples; false if none came.
    bool waitForData(std::chrono::milliseconds timeout);
    void stop();

    std::vector<float> samples() const;
    std::size_t size() const;
    // When sample index was recorded, at the latest.
    Clock::time_point timeOf(std::size_t index) const;
    // The sample recorded at t (clamped to the recording).
    std::size_t indexAt(Clock::time_point t) const;

private:
    void readLoop();

    pid_t pid_ = -1;
    int fd_ = -1;
    std::thread reader_;
    mutable std::mutex mutex_;
    std::vector<float> samples_;
    // Recording start on the steady clock: the smallest (arrival - samples so
    // far / rate) over all blocks, since a block arrives after it was taken.
    Clock::duration origin_ = Clock::duration::max();
};
