#pragma once
// Measuring what a decoder gave back or a sound server played: pitch by zero
// crossings, loudness, and where in a recording each tone was heard.

#include <cstddef>
#include <vector>

namespace analysis {

// The frequency of a tone from its rising zero crossings (with hysteresis and
// interpolation between samples); 0 when fewer than two cycles are found.
double toneFrequency(const float *samples, std::size_t count, int rate);

// Largest absolute sample.
double peak(const float *samples, std::size_t count);

// Root mean square.
double rms(const float *samples, std::size_t count);

// One stretch of a recording in which one tone (or silence, hz == 0) was heard.
struct Run {
    double hz;
    std::size_t begin, end;  // sample indices, end exclusive
};

// Cuts a recording into windows of window samples, names each window by the
// candidate frequency that dominates it (0 for silence, -1 for anything else)
// and joins equal neighbours into runs.
std::vector<Run> runs(const std::vector<float> &recording, int rate, const std::vector<double> &candidates,
                      std::size_t window);

// The first and one-past-last sample louder than threshold, scanning in
// short blocks; {0, 0} when nothing is.
struct Span {
    std::size_t begin = 0, end = 0;
    bool empty() const { return end <= begin; }
};
Span soundSpan(const std::vector<float> &recording, std::size_t from, std::size_t to, double threshold = 0.02);

} // namespace analysis
