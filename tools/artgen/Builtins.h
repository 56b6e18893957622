#pragma once

#include "BmpWriter.h"

#include <QByteArray>
#include <QImage>

namespace artgen {

// 300 x 200, 256-colour: "ルミカータ" in black on pure cyan.
IndexedImage titlePicture();

// 64 x 64 indexed with at most 16 colours, entry 0 fully transparent.
QImage iconPicture();

// The icon's design as SVG, from the same geometry as iconPicture().
QByteArray iconSvg();

} // namespace artgen
