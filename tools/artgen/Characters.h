#pragma once

#include <QPointF>

class QPainter;

namespace artgen {

enum class Mouth { Flat, Smile, Grin, SmallO, Scream, Chew, Talk };
enum class Arms { Down, Up, Wave, Spread, Hold, Knock };
enum class Brows { None, Raised, Worried, Happy };

// ピコラ, the hero: the icon's face (oval, white, round cyan glasses) on a
// small body. Drawn around his feet; one unit is one pixel at scale 1, where
// he stands about 215 pixels tall.
struct Pikora {
    QPointF feet;
    qreal scale = 1;
    Mouth mouth = Mouth::Flat;
    Arms arms = Arms::Down;
    Brows brows = Brows::None;
    qreal lean = 0; // degrees, positive leans to his left (our right)
    qreal waveAngle = 0; // tilts the waving arm, for the ending's two frames
    bool blush = false;
    bool sweat = false;
    bool glassesJump = false; // his glasses jump off his face in a fright
};

void draw(QPainter &p, const Pikora &c);

// ピヨ, the chick from the egg: a round yellow ball with wings and a tuft.
// About 150 pixels tall at scale 1.
struct Piyo {
    QPointF feet;
    qreal scale = 1;
    bool beakOpen = false;
    bool happyEyes = false;
    bool wingsUp = false;
    bool blush = true;
    qreal lean = 0;
};

void draw(QPainter &p, const Piyo &c);

// The big spotted egg, about 260 pixels tall at scale 1, drawn around its
// bottom point. `crackAmount` 0 = whole, 1 = a crack across.
void drawEgg(QPainter &p, QPointF bottom, qreal scale, qreal crackAmount, qreal lean = 0);

// A rice ball in the hand, centred.
void drawOnigiri(QPainter &p, QPointF centre, qreal scale, bool bitten);

} // namespace artgen
