#pragma once

#include <QString>

namespace pikora {

// A modal message with one OK button and no icon, captioned with the
// application title and centred on the screen. Enter and Escape close it.
void ShowMessage(const QString& text);

} // namespace pikora
