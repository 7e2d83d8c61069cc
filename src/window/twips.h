#pragma once

#include <QRect>

namespace tarnwell::window {

// The window is laid out in twips, as its design describes it: 15 twips
// make one pixel at 96 dots per inch. Every position in the window goes
// through these helpers, so the design figures appear unchanged in the code.
inline constexpr int TwipsPerPixel = 15;

constexpr int Twips(int twips) {
    return (twips + TwipsPerPixel / 2) / TwipsPerPixel;
}

constexpr QRect TwipRect(int left, int top, int width, int height) {
    return {Twips(left), Twips(top), Twips(width), Twips(height)};
}

}  // namespace tarnwell::window
