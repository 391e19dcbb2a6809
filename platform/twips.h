#pragma once
// Positions and sizes of the original windows are in twips: 1440 to the inch,
// so 15 twips make one pixel at 96 dpi, the resolution the windows were laid
// out for.
#include <QRect>
#include <QtGlobal>

inline constexpr int TwipsPerPixel = 15;

inline int TwipsToPixels(int twips) {
    return qRound(double(twips) / TwipsPerPixel);
}

inline int PixelsToTwips(int pixels) {
    return pixels * TwipsPerPixel;
}

// A control's place given in twips.
inline QRect TwipsRect(int left, int top, int width, int height) {
    return QRect(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height));
}
