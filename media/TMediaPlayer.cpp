#include "media/TMediaPlayer.h"

#include "media/AudioOutput.h"
#include "media/AudioSinkOutput.h"
#include "media/Clip.h"
#include "media/ClipDevice.h"
#include "media/MciError.h"

#include <QtCore/QFile>

#include <new>

TMediaPlayer::TMediaPlayer(QObject *parent)
    : TMediaPlayer(std::make_unique<pikora::AudioSinkOutput>(), parent)
{
}

TMediaPlayer::TMediaPlayer(std::unique_ptr<pikora::AudioOutput> output, QObject *parent)
    : QObject(parent)
    , output_(std::move(output))
{
    connect(output_.get(), &pikora::AudioOutput::finished, this, &TMediaPlayer::onFinished);
    connect(output_.get(), &pikora::AudioOutput::failed, this, &TMediaPlayer::onFailed);
}

TMediaPlayer::~TMediaPlayer()
{
    Close();
}

void TMediaPlayer::Open()
{
    Close();

    const pikora::DeviceSelection selection =
        deviceType_ == dtWaveAudio ? pikora::DeviceSelection::waveAudio : pikora::DeviceSelection::automatic;
    try {
        auto clip = std::make_unique<pikora::ClipReader>(QFile::encodeName(fileName_).toStdString(), selection);
        auto stream = std::make_unique<pikora::ClipDevice>(*clip);
        stream->open(QIODevice::ReadOnly | QIODevice::Unbuffered);
        clip_ = std::move(clip);
        stream_ = std::move(stream);
    } catch (const pikora::EMCIDeviceError &error) {
        error_ = error.code();
        throw;
    } catch (const std::bad_alloc &) {
        error_ = pikora::mci::OutOfMemory;
        throw pikora::EMCIDeviceError(error_);
    }

    if (++lastDeviceId_ == 0)
        ++lastDeviceId_;
    deviceId_ = lastDeviceId_;
    mode_ = mpStopped;
    error_ = pikora::mci::NoError;
}

void TMediaPlayer::Play()
{
    if (!clip_) {
        error_ = pikora::mci::InvalidDeviceId;
        return;
    }
    // The output lets go of the stream before it is wound back.
    if (mode_ == mpPlaying)
        output_->stop();
    mode_ = mpStopped;
    if (!stream_->restart()) {
        error_ = pikora::mci::FileRead;
        return;
    }
    error_ = output_->start(stream_.get(), stream_->format());
    if (error_ == pikora::mci::NoError)
        mode_ = mpPlaying;
}

void TMediaPlayer::Close()
{
    if (!clip_)
        return;
    // The output lets go of the stream before the stream and the file go.
    output_->stop();
    stream_.reset();
    clip_.reset();
    mode_ = mpNotReady;
    deviceId_ = 0;
    error_ = pikora::mci::NoError;
}

QString TMediaPlayer::ErrorMessage() const
{
    return QString::fromStdString(pikora::mciErrorText(error_));
}

void TMediaPlayer::onFinished()
{
    if (mode_ != mpPlaying)
        return;
    mode_ = mpStopped;
    emit Notify();
}

void TMediaPlayer::onFailed(int code)
{
    if (mode_ != mpPlaying)
        return;
    error_ = code;
    mode_ = mpStopped;
    emit Notify();
}
