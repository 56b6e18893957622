#include "media/Voice.h"

#include "media/TMediaPlayer.h"

void voice(TMediaPlayer &player, const QString &fileName)
{
    player.setDeviceType(TMediaPlayer::dtAutoSelect);
    player.setFileName(fileName);
    player.Open();
    player.Play();
}
