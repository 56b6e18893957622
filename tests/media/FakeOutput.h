#pragma once
// An output device that plays nothing: it writes down what the player asks
// of it and lets the test pull samples and end the play.

#include "media/AudioOutput.h"
#include "media/MciError.h"

#include <QtCore/QIODevice>
#include <QtCore/QStringList>
#include <QtMultimedia/QAudioFormat>

#include <memory>

class FakeOutput final : public pikora::AudioOutput {
    Q_OBJECT

public:
    // The log outlives the output, which the player owns and deletes.
    explicit FakeOutput(std::shared_ptr<QStringList> log)
        : log_(std::move(log))
    {
    }

    int start(QIODevice *source, const QAudioFormat &format) override
    {
        *log_ << QStringLiteral("start");
        if (startResult != pikora::mci::NoError)
            return startResult;
        source_ = source;
        format_ = format;
        return pikora::mci::NoError;
    }

    void stop() override
    {
        *log_ << QStringLiteral("stop");
        source_ = nullptr;
    }

    bool playing() const { return source_ != nullptr; }
    QIODevice *source() const { return source_; }
    QAudioFormat format() const { return format_; }

    // Pulls as the real device does, in the format it was started with.
    QByteArray pull(qint64 bytes) { return source_ ? source_->read(bytes) : QByteArray(); }

    void finish() { emit finished(); }
    void fail(int code) { emit failed(code); }

    int startResult = pikora::mci::NoError;

private:
    std::shared_ptr<QStringList> log_;
    QIODevice *source_ = nullptr;
    QAudioFormat format_;
};
