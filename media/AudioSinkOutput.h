#pragma once
// The real output: a QAudioSink on the desktop's default output device,
// pulling from the open clip.

#include "media/AudioOutput.h"

#include <QtCore/QByteArray>
#include <QtCore/QTimer>
#include <QtMultimedia/QAudio>

#include <vector>

class QAudioSink;

namespace pikora {

class AudioSinkOutput final : public AudioOutput {
    Q_OBJECT

public:
    explicit AudioSinkOutput(QObject *parent = nullptr);
    ~AudioSinkOutput() override;

    int start(QIODevice *source, const QAudioFormat &format) override;
    void stop() override;

private:
    void onStateChanged(unsigned session, QAudio::State state);
    void retireSink();
    void deleteRetired();

    QAudioSink *sink_ = nullptr;
    QByteArray sinkDevice_;
    std::vector<QAudioSink *> retired_;
    QIODevice *source_ = nullptr;
    QTimer drainTimer_;
    unsigned session_ = 0;  // tells a stopped play's late signals from the current one's
    bool playing_ = false;
};

} // namespace pikora
