#pragma once
// The waveform-audio device's side of a voice clip: choosing the device from
// the file name, opening RIFF WAVE content through libsndfile, and reading it
// as float frames for the output. No Qt here, so the story checker and the
// fuzzers use exactly what the player uses.

#include "media/MciError.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct sf_private_tag;

namespace pikora {

enum class DeviceSelection {
    automatic,  // from the file's extension: ".wav" in any case is waveform audio
    waveAudio,  // waveform audio whatever the name says
};

struct ClipInfo {
    int sampleRate = 0;
    int channels = 0;         // as stored; the output gets at most two
    std::string encoding;     // "PCM 16-bit", "IMA ADPCM", "float 32-bit", ...
    std::string container;    // "RIFF", "WAVE_FORMAT_EXTENSIBLE" or "RF64"
    std::int64_t frames = 0;
    double seconds = 0.0;
};

// "22050 Hz, mono, PCM 16-bit, 1.4 s"; a container other than plain RIFF is
// named after the encoding, as in "PCM 16-bit (RF64)".
std::string describe(const ClipInfo &info);

// An open clip on the waveform device. Holds the file for as long as it lives
// and reads it on demand, so opening costs the same for any length.
class ClipReader {
public:
    // Throws EMCIDeviceError with the media layer's code when the device
    // cannot be chosen or the file cannot be opened or is not RIFF WAVE
    // content the device plays.
    explicit ClipReader(const std::string &fileName,
                        DeviceSelection selection = DeviceSelection::automatic);
    ~ClipReader();
    ClipReader(const ClipReader &) = delete;
    ClipReader &operator=(const ClipReader &) = delete;

    const ClipInfo &info() const noexcept { return info_; }

    // 1 for a mono clip, 2 for everything else (more channels are mixed down).
    int outputChannels() const noexcept { return outputChannels_; }

    // Fills out with up to maxFrames interleaved frames of outputChannels()
    // samples in [-1, 1]. Returns the frames written; 0 at the end of the clip
    // or when the rest of the file cannot be decoded.
    std::size_t read(float *out, std::size_t maxFrames);

    // Back to the first frame. False when the clip cannot be read from its
    // start again; read() then gives nothing.
    bool rewind();

private:
    struct SndfileCloser {
        void operator()(sf_private_tag *file) const noexcept;
    };
    struct Descriptor {
        int fd = -1;
        ~Descriptor();
    };

    void setUpMixdown();

    Descriptor descriptor_;  // outlives the SNDFILE that reads from it
    std::unique_ptr<sf_private_tag, SndfileCloser> file_;
    ClipInfo info_;
    int outputChannels_ = 0;
    bool ended_ = false;
    std::vector<float> scratch_;
    std::vector<float> leftWeights_, rightWeights_;  // per stored channel, for > 2
};

// Opens fileName as the player's Open does, without playing it, and reports
// its format. Throws the same EMCIDeviceError the player's Open would.
ClipInfo probeClip(const std::string &fileName,
                   DeviceSelection selection = DeviceSelection::automatic);

} // namespace pikora
