#pragma once

class QRect;

namespace qv {

// The screen object: how many twips (1/1440 inch) make one logical pixel.
class Screen {
public:
    static float TwipsPerPixelX();
    static float TwipsPerPixelY();

    // Twips to logical pixels by the engine's one rounding rule.
    static int pixelsX(double twips);
    static int pixelsY(double twips);
    // A control's rectangle given in twips, in logical pixels.
    static QRect pixelRect(int left, int top, int width, int height);
};

} // namespace qv
