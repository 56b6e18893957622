#include "Story.h"

namespace artgen {

void writeStoryPictures(const QString &) {}

} // namespace artgen
