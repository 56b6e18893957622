#include "Fixtures.h"

#include <QtCore/QFile>
#include <QtTest/QTest>

#include <sndfile.h>

#include <cmath>

namespace fixtures {

const std::vector<Encoding> &encodings()
{
    static const std::vector<Encoding> table = {
        {"PCM U8, 8 kHz mono", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 8000, 1, "PCM 8-bit", "RIFF"},
        {"PCM 16, 22.05 kHz mono", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 22050, 1, "PCM 16-bit", "RIFF"},
        {"PCM 16, 44.1 kHz stereo", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2, "PCM 16-bit", "RIFF"},
        {"PCM 16, 192 kHz stereo", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 192000, 2, "PCM 16-bit", "RIFF"},
        {"PCM 24, 48 kHz stereo", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 48000, 2, "PCM 24-bit", "RIFF"},
        {"PCM 32, 96 kHz mono", SF_FORMAT_WAV | SF_FORMAT_PCM_32, 96000, 1, "PCM 32-bit", "RIFF"},
        {"float, 44.1 kHz stereo", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 2, "float 32-bit", "RIFF"},
        {"double, 192 kHz mono", SF_FORMAT_WAV | SF_FORMAT_DOUBLE, 192000, 1, "float 64-bit", "RIFF"},
        {"mu-law, 8 kHz mono", SF_FORMAT_WAV | SF_FORMAT_ULAW, 8000, 1, "\u00b5-law", "RIFF"},
        {"A-law, 16 kHz mono", SF_FORMAT_WAV | SF_FORMAT_ALAW, 16000, 1, "A-law", "RIFF"},
        {"IMA ADPCM, 22.05 kHz mono", SF_FORMAT_WAV | SF_FORMAT_IMA_ADPCM, 22050, 1, "IMA ADPCM", "RIFF"},
        {"IMA ADPCM, 44.1 kHz stereo", SF_FORMAT_WAV | SF_FORMAT_IMA_ADPCM, 44100, 2, "IMA ADPCM", "RIFF"},
        {"MS ADPCM, 11.025 kHz mono", SF_FORMAT_WAV | SF_FORMAT_MS_ADPCM, 11025, 1, "MS ADPCM", "RIFF"},
        {"MS ADPCM, 32 kHz stereo", SF_FORMAT_WAV | SF_FORMAT_MS_ADPCM, 32000, 2, "MS ADPCM", "RIFF"},
        {"GSM 6.10, 8 kHz mono", SF_FORMAT_WAV | SF_FORMAT_GSM610, 8000, 1, "GSM 6.10", "RIFF"},
        {"extensible PCM 16, 48 kHz stereo", SF_FORMAT_WAVEX | SF_FORMAT_PCM_16, 48000, 2, "PCM 16-bit", "WAVE_FORMAT_EXTENSIBLE"},
        {"extensible float, 44.1 kHz 5.1", SF_FORMAT_WAVEX | SF_FORMAT_FLOAT, 44100, 6, "float 32-bit", "WAVE_FORMAT_EXTENSIBLE"},
        {"extensible PCM 24, 22.05 kHz 3 channels", SF_FORMAT_WAVEX | SF_FORMAT_PCM_24, 22050, 3, "PCM 24-bit", "WAVE_FORMAT_EXTENSIBLE"},
        {"PCM 16, 48 kHz 4 channels", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 48000, 4, "PCM 16-bit", "RIFF"},
        {"RF64 PCM 16, 44.1 kHz mono", SF_FORMAT_RF64 | SF_FORMAT_PCM_16, 44100, 1, "PCM 16-bit", "RF64"},
    };
    return table;
}

bool writeClip(const QString &path, int format, int rate, int channels, std::int64_t frames,
               const Signal &signal)
{
    SF_INFO info {};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE *file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!file) {
        qWarning("libsndfile will not write %s: %s", qPrintable(path), sf_strerror(nullptr));
        return false;
    }
    std::vector<double> block;
    constexpr std::int64_t blockFrames = 4096;
    bool ok = true;
    for (std::int64_t start = 0; start < frames && ok; start += blockFrames) {
        const std::int64_t n = std::min(blockFrames, frames - start);
        block.resize(std::size_t(n * channels));
        for (std::int64_t f = 0; f < n; ++f)
            for (int c = 0; c < channels; ++c)
                block[std::size_t(f * channels + c)] = signal(start + f, c);
        ok = sf_writef_double(file, block.data(), n) == n;
    }
    ok = sf_close(file) == 0 && ok;
    return ok;
}

Signal tone(double hz, int rate, double amplitude)
{
    return [=](std::int64_t frame, int) { return amplitude * std::sin(2.0 * M_PI * hz * double(frame) / rate); };
}

Signal steps(const std::vector<std::pair<double, double>> &parts, int rate, double amplitude)
{
    // Phase at each boundary, so the wave runs on without a click.
    struct Part {
        std::int64_t begin, end;
        double hz, phase;
    };
    std::vector<Part> table;
    std::int64_t at = 0;
    double phase = 0.0;
    for (const auto &[hz, seconds] : parts) {
        const auto frames = std::int64_t(std::llround(seconds * rate));
        table.push_back({at, at + frames, hz, phase});
        phase += 2.0 * M_PI * hz * double(frames) / rate;
        at += frames;
    }
    return [=](std::int64_t frame, int) {
        for (const Part &p : table) {
            if (frame >= p.begin && frame < p.end)
                return amplitude * std::sin(p.phase + 2.0 * M_PI * p.hz * double(frame - p.begin) / rate);
        }
        return 0.0;
    };
}

bool writeTone(const QString &path, double hz, double seconds, int rate)
{
    return writeClip(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, rate, 1, std::int64_t(std::llround(seconds * rate)),
                     tone(hz, rate));
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

} // namespace fixtures
