#pragma once

#include <QString>

namespace artgen {

// Draws the sample story's ten pictures into `dir`.
void writeStoryPictures(const QString &dir);

} // namespace artgen
