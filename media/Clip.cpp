#include "media/Clip.h"

#include <sndfile.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <string_view>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pikora {

namespace {

// Rates the waveform device plays; anything else is a format it refuses.
constexpr int minimumRate = 8000;
constexpr int maximumRate = 192000;

// One read from libsndfile decodes at most this many samples, whatever the
// channel count, so the scratch buffer stays small.
constexpr std::size_t scratchSamples = 16384;

bool hasWaveExtension(const std::string &fileName)
{
    const std::size_t slash = fileName.find_last_of('/');
    const std::string_view base = std::string_view(fileName).substr(slash == std::string::npos ? 0 : slash + 1);
    const std::size_t dot = base.find_last_of('.');
    if (dot == std::string_view::npos)
        return false;
    const std::string_view extension = base.substr(dot);
    constexpr std::string_view wave = ".wav";
    return std::equal(extension.begin(), extension.end(), wave.begin(), wave.end(), [](char a, char b) {
        return (a >= 'A' && a <= 'Z' ? char(a - 'A' + 'a') : a) == b;
    });
}

// RIFF WAVE or RF64 WAVE; RIFX, AIFF, FLAC and the rest are not played here.
bool isWaveHeader(const unsigned char (&head)[12])
{
    const bool riff = std::memcmp(head, "RIFF", 4) == 0 || std::memcmp(head, "RF64", 4) == 0;
    return riff && std::memcmp(head + 8, "WAVE", 4) == 0;
}

std::string encodingName(int subtype)
{
    switch (subtype) {
    case SF_FORMAT_PCM_U8: return "PCM 8-bit";
    case SF_FORMAT_PCM_S8: return "PCM 8-bit signed";
    case SF_FORMAT_PCM_16: return "PCM 16-bit";
    case SF_FORMAT_PCM_24: return "PCM 24-bit";
    case SF_FORMAT_PCM_32: return "PCM 32-bit";
    case SF_FORMAT_FLOAT: return "float 32-bit";
    case SF_FORMAT_DOUBLE: return "float 64-bit";
    case SF_FORMAT_ULAW: return "\u00b5-law";
    case SF_FORMAT_ALAW: return "A-law";
    case SF_FORMAT_IMA_ADPCM: return "IMA ADPCM";
    case SF_FORMAT_MS_ADPCM: return "MS ADPCM";
    case SF_FORMAT_GSM610: return "GSM 6.10";
    case SF_FORMAT_G721_32: return "G.721 ADPCM";
    case SF_FORMAT_G723_24: return "G.723 ADPCM 24 kbit/s";
    case SF_FORMAT_G723_40: return "G.723 ADPCM 40 kbit/s";
    case SF_FORMAT_MPEG_LAYER_I: return "MPEG Layer I";
    case SF_FORMAT_MPEG_LAYER_II: return "MPEG Layer II";
    case SF_FORMAT_MPEG_LAYER_III: return "MPEG Layer III";
    default: {
        char text[24];
        std::snprintf(text, sizeof text, "encoding 0x%04x", unsigned(subtype));
        return text;
    }
    }
}

std::string containerName(int type)
{
    switch (type) {
    case SF_FORMAT_WAVEX: return "WAVE_FORMAT_EXTENSIBLE";
    case SF_FORMAT_RF64: return "RF64";
    default: return "RIFF";
    }
}

float clampSample(float sample)
{
    if (std::isnan(sample))
        return 0.0f;
    return std::clamp(sample, -1.0f, 1.0f);
}

// Where a channel goes in a stereo mixdown: (left, right).
struct Pan {
    float left, right;
};

Pan panFor(int position)
{
    constexpr float half = 0.70710678f;  // -3 dB into each side
    switch (position) {
    case SF_CHANNEL_MAP_LEFT:
    case SF_CHANNEL_MAP_FRONT_LEFT:
    case SF_CHANNEL_MAP_REAR_LEFT:
    case SF_CHANNEL_MAP_FRONT_LEFT_OF_CENTER:
    case SF_CHANNEL_MAP_SIDE_LEFT:
    case SF_CHANNEL_MAP_TOP_FRONT_LEFT:
    case SF_CHANNEL_MAP_TOP_REAR_LEFT:
        return {1.0f, 0.0f};
    case SF_CHANNEL_MAP_RIGHT:
    case SF_CHANNEL_MAP_FRONT_RIGHT:
    case SF_CHANNEL_MAP_REAR_RIGHT:
    case SF_CHANNEL_MAP_FRONT_RIGHT_OF_CENTER:
    case SF_CHANNEL_MAP_SIDE_RIGHT:
    case SF_CHANNEL_MAP_TOP_FRONT_RIGHT:
    case SF_CHANNEL_MAP_TOP_REAR_RIGHT:
        return {0.0f, 1.0f};
    case SF_CHANNEL_MAP_LFE:
        return {0.0f, 0.0f};
    default:
        return {half, half};
    }
}

// The speaker order a WAVE file implies when it names none.
constexpr int defaultWaveOrder[] = {
    SF_CHANNEL_MAP_FRONT_LEFT, SF_CHANNEL_MAP_FRONT_RIGHT, SF_CHANNEL_MAP_FRONT_CENTER,
    SF_CHANNEL_MAP_LFE, SF_CHANNEL_MAP_REAR_LEFT, SF_CHANNEL_MAP_REAR_RIGHT,
    SF_CHANNEL_MAP_FRONT_LEFT_OF_CENTER, SF_CHANNEL_MAP_FRONT_RIGHT_OF_CENTER,
    SF_CHANNEL_MAP_REAR_CENTER, SF_CHANNEL_MAP_SIDE_LEFT, SF_CHANNEL_MAP_SIDE_RIGHT,
    SF_CHANNEL_MAP_TOP_CENTER, SF_CHANNEL_MAP_TOP_FRONT_LEFT, SF_CHANNEL_MAP_TOP_FRONT_CENTER,
    SF_CHANNEL_MAP_TOP_FRONT_RIGHT, SF_CHANNEL_MAP_TOP_REAR_LEFT, SF_CHANNEL_MAP_TOP_REAR_CENTER,
    SF_CHANNEL_MAP_TOP_REAR_RIGHT,
};

} // namespace

void ClipReader::SndfileCloser::operator()(SNDFILE *file) const noexcept
{
    sf_close(file);
}

ClipReader::Descriptor::~Descriptor()
{
    if (fd >= 0)
        ::close(fd);
}

ClipReader::ClipReader(const std::string &fileName, DeviceSelection selection)
try {
    if (fileName.empty())
        throw EMCIDeviceError(mci::FilenameRequired);
    if (selection == DeviceSelection::automatic && !hasWaveExtension(fileName))
        throw EMCIDeviceError(mci::ExtensionNotFound);

    // Non-blocking so that a FIFO or device node under a clip's name cannot
    // stall the open; only regular files are played.
    descriptor_.fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (descriptor_.fd < 0)
        throw EMCIDeviceError(errno == ENOENT || errno == ENOTDIR ? mci::FileNotFound : mci::FileRead);
    struct stat status {};
    if (::fstat(descriptor_.fd, &status) != 0 || !S_ISREG(status.st_mode))
        throw EMCIDeviceError(mci::FileRead);
    const int flags = ::fcntl(descriptor_.fd, F_GETFL);
    if (flags < 0 || ::fcntl(descriptor_.fd, F_SETFL, flags & ~O_NONBLOCK) != 0)
        throw EMCIDeviceError(mci::FileRead);

    unsigned char head[12];
    ssize_t got;
    do {
        got = ::pread(descriptor_.fd, head, sizeof head, 0);
    } while (got < 0 && errno == EINTR);
    if (got < 0)
        throw EMCIDeviceError(mci::FileRead);
    if (got < ssize_t(sizeof head) || !isWaveHeader(head))
        throw EMCIDeviceError(mci::InvalidFile);

    // The descriptor stays ours: libsndfile would leak it on some failures.
    SF_INFO sfInfo {};
    file_.reset(sf_open_fd(descriptor_.fd, SFM_READ, &sfInfo, SF_FALSE));
    if (!file_)
        throw EMCIDeviceError(sf_error(nullptr) == SF_ERR_SYSTEM ? mci::FileRead : mci::InvalidFile);

    const int type = sfInfo.format & SF_FORMAT_TYPEMASK;
    if (type != SF_FORMAT_WAV && type != SF_FORMAT_WAVEX && type != SF_FORMAT_RF64)
        throw EMCIDeviceError(mci::InvalidFile);
    if (sfInfo.samplerate < minimumRate || sfInfo.samplerate > maximumRate || sfInfo.channels < 1)
        throw EMCIDeviceError(mci::InvalidFile);

    info_.sampleRate = sfInfo.samplerate;
    info_.channels = sfInfo.channels;
    info_.encoding = encodingName(sfInfo.format & SF_FORMAT_SUBMASK);
    info_.container = containerName(type);
    // No encoding packs more than eight frames into a byte; a larger count
    // would only come from a header, and byte counts are made from it.
    info_.frames = std::clamp<sf_count_t>(sfInfo.frames, 0, sf_count_t(status.st_size) * 8);
    info_.seconds = double(info_.frames) / info_.sampleRate;

    outputChannels_ = info_.channels == 1 ? 1 : 2;
    scratch_.resize(std::max<std::size_t>(scratchSamples, std::size_t(info_.channels)));
    if (info_.channels > 2)
        setUpMixdown();
} catch (const std::bad_alloc &) {
    throw EMCIDeviceError(mci::OutOfMemory);
}

ClipReader::~ClipReader() = default;

void ClipReader::setUpMixdown()
{
    const int channels = info_.channels;
    std::vector<int> positions(std::size_t(channels), SF_CHANNEL_MAP_INVALID);
    if (sf_command(file_.get(), SFC_GET_CHANNEL_MAP_INFO, positions.data(), int(positions.size() * sizeof(int))) != SF_TRUE) {
        for (int i = 0; i < channels; ++i)
            positions[std::size_t(i)] = i < int(std::size(defaultWaveOrder)) ? defaultWaveOrder[i] : SF_CHANNEL_MAP_INVALID;
    }

    leftWeights_.assign(std::size_t(channels), 0.0f);
    rightWeights_.assign(std::size_t(channels), 0.0f);
    float leftSum = 0.0f, rightSum = 0.0f;
    for (int i = 0; i < channels; ++i) {
        const Pan pan = panFor(positions[std::size_t(i)]);
        leftWeights_[std::size_t(i)] = pan.left;
        rightWeights_[std::size_t(i)] = pan.right;
        leftSum += pan.left;
        rightSum += pan.right;
    }
    // Dividing by the sum keeps the mix within [-1, 1] for any content; a side
    // with nothing routed to it (all LFE) hears every channel equally.
    for (int i = 0; i < channels; ++i) {
        leftWeights_[std::size_t(i)] = leftSum > 0.0f ? leftWeights_[std::size_t(i)] / leftSum : 1.0f / channels;
        rightWeights_[std::size_t(i)] = rightSum > 0.0f ? rightWeights_[std::size_t(i)] / rightSum : 1.0f / channels;
    }
}

std::size_t ClipReader::read(float *out, std::size_t maxFrames)
{
    const std::size_t channels = std::size_t(info_.channels);
    const std::size_t chunkFrames = scratch_.size() / channels;
    std::size_t done = 0;
    if (!file_)
        ended_ = true;
    while (done < maxFrames && !ended_) {
        const std::size_t want = std::min(maxFrames - done, chunkFrames);
        const sf_count_t got = sf_readf_float(file_.get(), scratch_.data(), sf_count_t(want));
        if (got <= 0) {
            ended_ = true;
            break;
        }
        const std::size_t frames = std::size_t(got);
        if (channels <= 2) {
            float *target = out + done * channels;
            for (std::size_t i = 0; i < frames * channels; ++i)
                target[i] = clampSample(scratch_[i]);
        } else {
            float *target = out + done * 2;
            for (std::size_t f = 0; f < frames; ++f) {
                const float *frame = scratch_.data() + f * channels;
                float left = 0.0f, right = 0.0f;
                for (std::size_t c = 0; c < channels; ++c) {
                    const float sample = clampSample(frame[c]);
                    left += leftWeights_[c] * sample;
                    right += rightWeights_[c] * sample;
                }
                target[2 * f] = clampSample(left);
                target[2 * f + 1] = clampSample(right);
            }
        }
        done += frames;
        if (frames < want)
            ended_ = true;
    }
    return done;
}

bool ClipReader::rewind()
{
    if (sf_seek(file_.get(), 0, SEEK_SET) != 0) {
        // Some decoders (GSM 6.10) cannot seek; start them afresh on the same
        // descriptor, so it is still the file that was opened.
        file_.reset();
        if (::lseek(descriptor_.fd, 0, SEEK_SET) != 0)
            return false;
        SF_INFO sfInfo {};
        file_.reset(sf_open_fd(descriptor_.fd, SFM_READ, &sfInfo, SF_FALSE));
        if (!file_ || sfInfo.channels != info_.channels || sfInfo.samplerate != info_.sampleRate)
            return false;
    }
    ended_ = false;
    return true;
}

ClipInfo probeClip(const std::string &fileName, DeviceSelection selection)
{
    return ClipReader(fileName, selection).info();
}

std::string describe(const ClipInfo &info)
{
    std::string text = std::to_string(info.sampleRate) + " Hz, ";
    if (info.channels == 1)
        text += "mono";
    else if (info.channels == 2)
        text += "stereo";
    else
        text += std::to_string(info.channels) + " channels";
    text += ", " + info.encoding;
    if (info.container != "RIFF")
        text += " (" + info.container + ")";
    // Tenths by integer arithmetic: the user's locale must not turn the
    // point into a comma.
    const long long tenths = std::llround(info.seconds * 10.0);
    text += ", " + std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " s";
    return text;
}

} // namespace pikora
