#pragma once
// The open clip as a pull source for an audio output: 32-bit float frames,
// decoded when the output asks for them and never before.

#include "media/Clip.h"

#include <QtCore/QIODevice>
#include <QtMultimedia/QAudioFormat>

#include <vector>

namespace pikora {

class ClipDevice final : public QIODevice {
    Q_OBJECT

public:
    explicit ClipDevice(ClipReader &clip, QObject *parent = nullptr);

    QAudioFormat format() const;

    // Back to the first frame for a new play. False when the clip cannot seek.
    bool restart();

    bool isSequential() const override { return true; }
    // The whole clip in bytes: the output sizes its prebuffer by it, so a clip
    // shorter than the buffer still starts.
    qint64 size() const override;
    qint64 bytesAvailable() const override;
    bool atEnd() const override;

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *data, qint64 maxSize) override;

private:
    qint64 bytesPerFrame() const;

    ClipReader &clip_;
    qint64 framesDelivered_ = 0;
    bool ended_ = false;
    std::vector<float> buffer_;
};

} // namespace pikora
