#include "media/ClipDevice.h"

#include <algorithm>
#include <cstring>

namespace pikora {

namespace {
// Frames decoded per pass; the output asks for about 20 ms at a time.
constexpr std::size_t framesPerPass = 4096;
} // namespace

ClipDevice::ClipDevice(ClipReader &clip, QObject *parent)
    : QIODevice(parent)
    , clip_(clip)
    , buffer_(framesPerPass * std::size_t(clip.outputChannels()))
{
}

QAudioFormat ClipDevice::format() const
{
    QAudioFormat format;
    format.setSampleRate(clip_.info().sampleRate);
    format.setChannelCount(clip_.outputChannels());
    format.setSampleFormat(QAudioFormat::Float);
    return format;
}

qint64 ClipDevice::bytesPerFrame() const
{
    return qint64(sizeof(float)) * clip_.outputChannels();
}

bool ClipDevice::restart()
{
    // A clip that has not been read yet is at its start already; some
    // decoders seek poorly, so do not ask them to.
    if (framesDelivered_ == 0 && !ended_)
        return true;
    if (!clip_.rewind())
        return false;
    framesDelivered_ = 0;
    ended_ = false;
    return true;
}

qint64 ClipDevice::size() const
{
    return clip_.info().frames * bytesPerFrame();
}

qint64 ClipDevice::bytesAvailable() const
{
    if (ended_)
        return 0;
    return std::max<qint64>(clip_.info().frames - framesDelivered_, 0) * bytesPerFrame();
}

bool ClipDevice::atEnd() const
{
    return ended_ || framesDelivered_ >= clip_.info().frames;
}

qint64 ClipDevice::readData(char *data, qint64 maxSize)
{
    const qint64 frameBytes = bytesPerFrame();
    qint64 written = 0;
    while (!ended_ && maxSize - written >= frameBytes) {
        const std::size_t want = std::min<std::size_t>(framesPerPass, std::size_t((maxSize - written) / frameBytes));
        const std::size_t got = clip_.read(buffer_.data(), want);
        if (got == 0) {
            ended_ = true;
            break;
        }
        // Copied rather than decoded in place: the caller's buffer need not be
        // aligned for floats.
        std::memcpy(data + written, buffer_.data(), got * std::size_t(frameBytes));
        written += qint64(got) * frameBytes;
        framesDelivered_ += qint64(got);
        if (got < want)
            ended_ = true;
    }
    return written;
}

qint64 ClipDevice::writeData(const char *, qint64)
{
    return -1;
}

} // namespace pikora
