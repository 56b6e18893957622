#pragma once

#include <QColor>
#include <QRgb>

#include <vector>

namespace artgen::colour {

// One set of flat colours for every picture, so the scenes share a look and
// the palettes start from the same entries.
inline const QColor ink{0, 0, 0};
inline const QColor white{255, 255, 255};
inline const QColor cyan{0, 255, 255};
inline const QColor sky{150, 218, 255};
inline const QColor skyDeep{92, 176, 240};
inline const QColor cloud{255, 255, 255};
inline const QColor sea{40, 184, 232};
inline const QColor seaLight{128, 224, 240};
inline const QColor grass{120, 200, 80};
inline const QColor grassDark{80, 154, 58};
inline const QColor hillFar{170, 220, 128};
inline const QColor path{236, 204, 148};
inline const QColor roof{224, 80, 60};
inline const QColor roofBlue{70, 110, 200};
inline const QColor wall{255, 240, 216};
inline const QColor wood{138, 90, 60};
inline const QColor window{128, 208, 255};
inline const QColor shirt{255, 122, 60};
inline const QColor shoe{107, 66, 38};
inline const QColor yellow{255, 216, 58};
inline const QColor yellowShade{240, 176, 32};
inline const QColor beak{255, 140, 26};
inline const QColor mouthInside{150, 30, 48};
inline const QColor tongue{255, 120, 140};
inline const QColor egg{255, 246, 220};
inline const QColor eggShade{236, 220, 186};
inline const QColor spotPink{255, 154, 192};
inline const QColor spotCyan{96, 216, 232};
inline const QColor blush{255, 160, 180};
inline const QColor sweat{160, 224, 255};
inline const QColor sun{255, 225, 74};
inline const QColor flowerRed{240, 80, 96};
inline const QColor flowerWhite{255, 250, 240};
inline const QColor leaf{60, 150, 70};
inline const QColor trunk{120, 80, 50};
inline const QColor nori{32, 48, 42};
inline const QColor rice{255, 255, 250};
inline const QColor blanket{232, 72, 74};
inline const QColor burst{255, 242, 122};
inline const QColor burstDeep{255, 177, 59};
inline const QColor purple{91, 61, 140};
inline const QColor purpleDark{58, 38, 96};
inline const QColor red{224, 40, 40};
inline const QColor dusk{255, 190, 120};
inline const QColor duskHigh{255, 150, 140};
inline const QColor grey{128, 128, 128};

std::vector<QRgb> designed();

} // namespace artgen::colour
