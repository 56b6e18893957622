#include "media/AudioSinkOutput.h"

#include "media/MciError.h"

#include <QtCore/QIODevice>
#include <QtMultimedia/QAudioDevice>
#include <QtMultimedia/QAudioSink>
#include <QtMultimedia/QMediaDevices>

#include <algorithm>

// How this reaches the sound server on Debian's Qt 6.4: libQt6Multimedia has
// its PulseAudio client built in (no ALSA back end is compiled), and
// QMediaDevices and QAudioSink use it directly through libpulse's threaded
// main loop. Neither media plug-in (ffmpeg, gstreamer) is loaded for them, so
// QT_MEDIA_BACKEND, which only picks the plug-in behind QMediaPlayer, changes
// nothing here. The server is the one libpulse finds: PULSE_SERVER, else the
// user's runtime directory (libpulse never autospawns one for root). When no
// server answers at the first use, Qt prints "pa_context_connect() failed"
// once, lists no output device and does not try again for the rest of the
// run; start() below then reports DeviceNotReady and the clip stays silent.
// When a connected server goes away, a playing sink stops with FatalError;
// Qt tries to reconnect at once and three seconds later, then gives up for
// the rest of the run, so later plays fail the same way.

namespace pikora {

namespace {

// Room for stalls of the event thread (a picture being loaded, a busy
// machine) without a gap; the server grants somewhat less. The sink fills it
// within a few milliseconds of the start, and a stop drops it whole, so it
// costs neither latency nor cut-off time.
constexpr qint64 bufferMicroseconds = 500000;

} // namespace

AudioSinkOutput::AudioSinkOutput(QObject *parent)
    : AudioOutput(parent)
{
    drainTimer_.setSingleShot(true);
    connect(&drainTimer_, &QTimer::timeout, this, [this] {
        if (!playing_)
            return;
        playing_ = false;
        emit finished();
    });
}

AudioSinkOutput::~AudioSinkOutput()
{
    stop();
    // Qt's PulseAudio sink runs the event loop once in its destructor, which
    // is why sinks are otherwise deleted from the event loop and not here.
    retireSink();
    deleteRetired();
}

int AudioSinkOutput::start(QIODevice *source, const QAudioFormat &format)
{
    stop();

    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return mci::DeviceNotReady;
    if (!device.isFormatSupported(format))
        return mci::OutputsUnsuitable;

    // A sink's format is fixed when it is made; one sink serves every clip
    // of the same format on the same device.
    if (sink_ && (sink_->format() != format || sinkDevice_ != device.id()))
        retireSink();
    if (!sink_) {
        sink_ = new QAudioSink(device, format);
        sinkDevice_ = device.id();
    }
    // Asked for every time: the sink keeps what the server granted last, and
    // asking for that again gets less each time.
    sink_->setBufferSize(format.bytesForDuration(bufferMicroseconds));

    const unsigned session = ++session_;
    connect(sink_, &QAudioSink::stateChanged, this,
            [this, session](QAudio::State state) { onStateChanged(session, state); });
    // Blocks until the server has made the stream (a round trip) and returns.
    sink_->start(source);
    if (sink_->state() == QAudio::StoppedState || sink_->error() != QAudio::NoError) {
        stop();
        return mci::DeviceNotReady;
    }
    source_ = source;
    playing_ = true;
    return mci::NoError;
}

void AudioSinkOutput::stop()
{
    ++session_;
    playing_ = false;
    drainTimer_.stop();
    source_ = nullptr;
    if (!sink_)
        return;
    disconnect(sink_, nullptr, this, nullptr);
    // Disconnects the server's stream, which drops what it had queued: the
    // clip is silent when this returns.
    sink_->stop();
}

void AudioSinkOutput::onStateChanged(unsigned session, QAudio::State state)
{
    if (session != session_ || !playing_ || !sink_)
        return;
    if (state == QAudio::StoppedState && sink_->error() != QAudio::NoError) {
        // The server went away under the playing clip.
        playing_ = false;
        drainTimer_.stop();
        emit failed(mci::Hardware);
        return;
    }
    if (state == QAudio::IdleState && source_ && source_->atEnd() && !drainTimer_.isActive()) {
        // Idle comes when the source runs dry, while the queue still holds up
        // to a buffer of the clip; it ends when that has played.
        const qint64 queued = std::max<qint64>(sink_->bufferSize() - sink_->bytesFree(), 0);
        const qint64 microseconds = sink_->format().durationForBytes(int(std::min<qint64>(queued, sink_->bufferSize())));
        drainTimer_.start(int(microseconds / 1000) + 1);
    }
}

void AudioSinkOutput::retireSink()
{
    if (!sink_)
        return;
    disconnect(sink_, nullptr, this, nullptr);
    sink_->stop();
    retired_.push_back(sink_);
    sink_ = nullptr;
    sinkDevice_.clear();
    QTimer::singleShot(0, this, &AudioSinkOutput::deleteRetired);
}

void AudioSinkOutput::deleteRetired()
{
    std::vector<QAudioSink *> sinks;
    sinks.swap(retired_);
    for (QAudioSink *sink : sinks)
        delete sink;
}

} // namespace pikora
