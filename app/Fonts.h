#pragma once

namespace pikora {

// Maps the windows' designed fonts, which Linux does not have, to installed
// Japanese fonts. Says once on stderr when there is none.
void substituteDesignFonts();

} // namespace pikora
