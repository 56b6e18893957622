#pragma once

#include "BmpWriter.h"

#include <QImage>

#include <vector>

namespace artgen {

// Maps an opaque picture to at most maxColours entries. The designed colours
// come first, in the order given; the remaining slots go to the most frequent
// other colours (mostly the blends along antialiased edges), ties broken by
// value so the result never depends on hash order. Every pixel then takes its
// nearest entry.
IndexedImage quantise(const QImage &image, const std::vector<QRgb> &designed, int maxColours = 256);

// Expands a palette picture back to RGB, for previews and self-checks.
QImage expand(const IndexedImage &image);

} // namespace artgen
