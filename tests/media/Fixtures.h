#pragma once
// Clips for the media tests, written with libsndfile at test time: every
// encoding the waveform device accepts, and small files it must refuse.

#include <QtCore/QString>

#include <cstdint>
#include <functional>
#include <vector>

namespace fixtures {

struct Encoding {
    const char *tag;
    int format;             // libsndfile major | minor type
    int rate;
    int channels;
    const char *encoding;   // as the clip's description names it
    const char *container;
};

// The accepted encodings, rates and channel counts, one row each.
const std::vector<Encoding> &encodings();

// Sample of channel c at frame f, in [-1, 1].
using Signal = std::function<double(std::int64_t frame, int channel)>;

// Writes frames frames of signal; fails the calling test (returns false)
// when libsndfile refuses the combination.
bool writeClip(const QString &path, int format, int rate, int channels, std::int64_t frames,
               const Signal &signal);

// A sine of hz at amplitude in every channel.
Signal tone(double hz, int rate, double amplitude = 0.5);

// Sines one after the other, phase-continuous: {hz, seconds} pairs.
Signal steps(const std::vector<std::pair<double, double>> &parts, int rate, double amplitude = 0.5);

// A plain 16-bit mono tone clip, the kind the story uses.
bool writeTone(const QString &path, double hz, double seconds, int rate = 22050);

bool writeBytes(const QString &path, const QByteArray &bytes);

} // namespace fixtures
