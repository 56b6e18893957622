#include "Colours.h"

namespace artgen::colour {

std::vector<QRgb> designed()
{
    const QColor all[] = {
        ink, white, cyan, sky, skyDeep, cloud, sea, seaLight, grass, grassDark, hillFar, path, roof, roofBlue,
        wall, wood, window, shirt, shoe, yellow, yellowShade, beak, mouthInside, tongue, egg, eggShade,
        spotPink, spotCyan, blush, sweat, sun, flowerRed, flowerWhite, leaf, trunk, nori, rice, blanket,
        burst, burstDeep, purple, purpleDark, red, dusk, duskHigh, grey,
    };
    std::vector<QRgb> out;
    for (const QColor &c : all)
        out.push_back(c.rgb());
    return out;
}

} // namespace artgen::colour
