#include "Analysis.h"

#include <algorithm>
#include <cmath>

namespace analysis {

double toneFrequency(const float *samples, std::size_t count, int rate)
{
    // A rising crossing counts only after the wave has been below -h, so
    // codec noise around zero does not add crossings.
    constexpr float h = 0.02f;
    bool armed = false;
    double first = -1.0, last = -1.0;
    std::size_t crossings = 0;
    for (std::size_t i = 1; i < count; ++i) {
        if (samples[i] < -h)
            armed = true;
        if (armed && samples[i - 1] < 0.0f && samples[i] >= 0.0f) {
            const double t = double(i - 1) + double(-samples[i - 1]) / double(samples[i] - samples[i - 1]);
            if (first < 0.0)
                first = t;
            last = t;
            ++crossings;
            armed = false;
        }
    }
    if (crossings < 3)
        return 0.0;
    return double(crossings - 1) * rate / (last - first);
}

double peak(const float *samples, std::size_t count)
{
    double p = 0.0;
    for (std::size_t i = 0; i < count; ++i)
        p = std::max(p, double(std::fabs(samples[i])));
    return p;
}

double rms(const float *samples, std::size_t count)
{
    if (count == 0)
        return 0.0;
    double sum = 0.0;
    for (std::size_t i = 0; i < count; ++i)
        sum += double(samples[i]) * samples[i];
    return std::sqrt(sum / double(count));
}

namespace {

// Share of a window's energy at hz (Goertzel), about 1 for a pure tone.
double share(const float *x, std::size_t n, int rate, double hz, double energy)
{
    const double w = 2.0 * M_PI * hz / rate;
    const double k = 2.0 * std::cos(w);
    double s1 = 0.0, s2 = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const double s = x[i] + k * s1 - s2;
        s2 = s1;
        s1 = s;
    }
    const double power = s1 * s1 + s2 * s2 - k * s1 * s2;
    return 2.0 * power / (double(n) * energy);
}

} // namespace

std::vector<Run> runs(const std::vector<float> &recording, int rate, const std::vector<double> &candidates,
                      std::size_t window)
{
    std::vector<Run> result;
    for (std::size_t at = 0; at + window <= recording.size(); at += window) {
        const float *x = recording.data() + at;
        double energy = 0.0;
        for (std::size_t i = 0; i < window; ++i)
            energy += double(x[i]) * x[i];
        double hz = 0.0;
        if (std::sqrt(energy / double(window)) >= 0.01) {
            hz = -1.0;
            for (double candidate : candidates) {
                if (share(x, window, rate, candidate, energy) > 0.6) {
                    hz = candidate;
                    break;
                }
            }
        }
        if (!result.empty() && result.back().hz == hz)
            result.back().end = at + window;
        else
            result.push_back({hz, at, at + window});
    }
    return result;
}

Span soundSpan(const std::vector<float> &recording, std::size_t from, std::size_t to, double threshold)
{
    constexpr std::size_t block = 48;  // 1 ms at the recording rate
    to = std::min(to, recording.size());
    Span span;
    bool found = false;
    for (std::size_t at = from; at < to; at += block) {
        const std::size_t n = std::min(block, to - at);
        if (peak(recording.data() + at, n) > threshold) {
            if (!found)
                span.begin = at;
            span.end = at + n;
            found = true;
        }
    }
    if (!found)
        return {};
    return span;
}

} // namespace analysis
