#include "media/AudioOutput.h"

namespace pikora {

AudioOutput::~AudioOutput() = default;

} // namespace pikora
