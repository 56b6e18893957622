#include "Recorder.h"

#include <QtCore/QFile>

#include <cerrno>
#include <fcntl.h>
#include <cstring>
#include <spawn.h>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

Recorder::~Recorder()
{
    stop();
}

bool Recorder::start(const QString &source, QString *why)
{
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        *why = QStringLiteral("pipe: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    const QByteArray device = "--device=" + source.toLocal8Bit();
    const QByteArray rateArg = "--rate=" + QByteArray::number(rate);
    const char *argv[] = {"parec", device.constData(), rateArg.constData(), "--channels=1",
                          "--format=float32le", "--latency-msec=5", "--raw", nullptr};

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    const int failed = ::posix_spawnp(&pid_, "parec", &actions, nullptr, const_cast<char **>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (failed != 0) {
        ::close(pipeFds[0]);
        pid_ = -1;
        *why = QStringLiteral("cannot run parec (pulseaudio-utils): %1").arg(QString::fromLocal8Bit(std::strerror(failed)));
        return false;
    }
    fd_ = pipeFds[0];
    reader_ = std::thread([this] { readLoop(); });
    return true;
}

void Recorder::readLoop()
{
    char buffer[16384];
    std::size_t pending = 0;  // bytes of a sample split across reads
    char partial[sizeof(float)];
    for (;;) {
        const ssize_t got = ::read(fd_, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return;
        const Clock::duration arrival = Clock::now().time_since_epoch();
        std::lock_guard lock(mutex_);
        std::size_t at = 0;
        if (pending) {
            const std::size_t take = std::min(sizeof(float) - pending, std::size_t(got));
            std::memcpy(partial + pending, buffer, take);
            pending += take;
            at = take;
            if (pending == sizeof(float)) {
                float v;
                std::memcpy(&v, partial, sizeof v);
                samples_.push_back(v);
                pending = 0;
            }
        }
        const std::size_t whole = (std::size_t(got) - at) / sizeof(float);
        const std::size_t old = samples_.size();
        samples_.resize(old + whole);
        std::memcpy(samples_.data() + old, buffer + at, whole * sizeof(float));
        at += whole * sizeof(float);
        pending = std::size_t(got) - at;
        std::memcpy(partial, buffer + at, pending);

        const auto recorded = std::chrono::duration_cast<Clock::duration>(
            std::chrono::duration<double>(double(samples_.size()) / rate));
        origin_ = std::min(origin_, arrival - recorded);
    }
}

bool Recorder::waitForData(std::chrono::milliseconds timeout)
{
    const auto until = Clock::now() + timeout;
    while (Clock::now() < until) {
        if (size() > 0)
            return true;
        if (pid_ > 0 && ::waitpid(pid_, nullptr, WNOHANG) == pid_) {
            pid_ = -1;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return size() > 0;
}

void Recorder::stop()
{
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    if (reader_.joinable())
        reader_.join();
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

std::vector<float> Recorder::samples() const
{
    std::lock_guard lock(mutex_);
    return samples_;
}

std::size_t Recorder::size() const
{
    std::lock_guard lock(mutex_);
    return samples_.size();
}

Recorder::Clock::time_point Recorder::timeOf(std::size_t index) const
{
    std::lock_guard lock(mutex_);
    return Clock::time_point(origin_ + std::chrono::duration_cast<Clock::duration>(
                                           std::chrono::duration<double>(double(index) / rate)));
}

std::size_t Recorder::indexAt(Clock::time_point t) const
{
    std::lock_guard lock(mutex_);
    const double seconds = std::chrono::duration<double>(t.time_since_epoch() - origin_).count();
    if (seconds <= 0.0)
        return 0;
    return std::min(samples_.size(), std::size_t(seconds * rate));
}
