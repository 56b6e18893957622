#pragma once
// The player's way out to the speakers. The player hands an output the open
// clip as a pull source and tells it when to start and when to fall silent;
// how the samples reach a device is the output's business. Tests put a fake
// device here.

#include <QtCore/QObject>

class QAudioFormat;
class QIODevice;

namespace pikora {

class AudioOutput : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    ~AudioOutput() override;

    // Starts pulling samples in format from source and returns at once with
    // mci::NoError, or with the media layer's code for why nothing will be
    // heard. An earlier play is stopped first. The source stays the caller's
    // and outlives the next stop() or start().
    virtual int start(QIODevice *source, const QAudioFormat &format) = 0;

    // Silences at once, dropping whatever is buffered, and returns when that
    // is done. Nothing is signalled afterwards for the clip it stopped.
    virtual void stop() = 0;

signals:
    // The source ran dry and its last samples have been played.
    void finished();
    // Playing broke off (the device or sound server went away).
    void failed(int code);
};

} // namespace pikora
