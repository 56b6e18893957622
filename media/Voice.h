#pragma once
// The voice operation: play one WAV clip from its start and return at once,
// cutting off whatever clip was playing before.

#include <QtCore/QString>

class TMediaPlayer;

// Selects the device from the extension, sets the file name, opens (closing
// the previous clip first) and plays. Throws pikora::EMCIDeviceError when the
// open fails; a failure to play is only recorded in player.Error().
void voice(TMediaPlayer &player, const QString &fileName);
