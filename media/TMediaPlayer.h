#pragma once
// The main window's hidden media player. It holds at most one open clip on
// the waveform-audio device and plays it without waiting.
//
//   Closed          Mode() == mpNotReady   program start, Close(), a failed Open()
//   Open, playing   Mode() == mpPlaying    Open() + Play()
//   Open, finished  Mode() == mpStopped    the clip's end (the device stays open),
//                                          a failed Play(), or Open() before Play()

#include <QtCore/QObject>
#include <QtCore/QString>

#include <memory>

namespace pikora {
class AudioOutput;
class ClipDevice;
class ClipReader;
} // namespace pikora

class TMediaPlayer : public QObject {
    Q_OBJECT
    Q_PROPERTY(TMPDeviceTypes DeviceType READ DeviceType WRITE setDeviceType)
    Q_PROPERTY(QString FileName READ FileName WRITE setFileName)
    Q_PROPERTY(TMPModes Mode READ Mode)
    Q_PROPERTY(int Error READ Error)
    Q_PROPERTY(unsigned DeviceID READ DeviceID)

public:
    enum TMPDeviceTypes { dtAutoSelect, dtWaveAudio };
    Q_ENUM(TMPDeviceTypes)
    enum TMPModes { mpNotReady, mpStopped, mpPlaying };
    Q_ENUM(TMPModes)

    // Plays through the desktop's default audio output.
    explicit TMediaPlayer(QObject *parent = nullptr);
    // Plays through output, which the player owns from now on.
    explicit TMediaPlayer(std::unique_ptr<pikora::AudioOutput> output, QObject *parent = nullptr);
    // Closes an open clip, which silences it, and returns when it is closed.
    ~TMediaPlayer() override;

    TMPDeviceTypes DeviceType() const { return deviceType_; }
    void setDeviceType(TMPDeviceTypes type) { deviceType_ = type; }
    QString FileName() const { return fileName_; }
    void setFileName(const QString &fileName) { fileName_ = fileName; }

    // Closes an open clip first and waits for it, then opens FileName with
    // the device DeviceType names. Blocks until the open has finished; throws
    // pikora::EMCIDeviceError, leaving the player closed, when it fails.
    void Open();
    // Starts the open clip from its first frame and returns at once. A
    // failure raises nothing: it only sets Error().
    void Play();
    // Stops and closes the open clip at once; returns when it is closed.
    void Close();

    TMPModes Mode() const { return mode_; }
    // The media layer's code for the last operation: 0 after a success.
    int Error() const { return error_; }
    // The media layer's description of Error(), or "原因不明のｴﾗｰ".
    QString ErrorMessage() const;
    // Nonzero while a device is open; every open gets a new one.
    unsigned DeviceID() const { return deviceId_; }

signals:
    // The completion notice of a play: it came to its end, or broke off.
    void Notify();

private:
    void onFinished();
    void onFailed(int code);

    std::unique_ptr<pikora::AudioOutput> output_;
    std::unique_ptr<pikora::ClipReader> clip_;
    std::unique_ptr<pikora::ClipDevice> stream_;
    TMPDeviceTypes deviceType_ = dtAutoSelect;
    QString fileName_;
    TMPModes mode_ = mpNotReady;
    int error_ = 0;
    unsigned deviceId_ = 0;
    unsigned lastDeviceId_ = 0;
};
