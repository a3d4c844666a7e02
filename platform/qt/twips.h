#pragma once

#include <QRect>
#include <QSize>

namespace quorrel::platform {

// The windows were laid out in twips (1/1440 inch) at 12 twips per pixel.
constexpr int kTwipsPerPixel = 12;

constexpr int Pixels(int twips)
{
    return twips / kTwipsPerPixel;
}

constexpr QSize TwipsSize(int width, int height)
{
    return {Pixels(width), Pixels(height)};
}

constexpr QRect TwipsRect(int left, int top, int width, int height)
{
    return {Pixels(left), Pixels(top), Pixels(width), Pixels(height)};
}

}  // namespace quorrel::platform
