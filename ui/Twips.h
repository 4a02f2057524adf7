// Layouts are written in twips, as the windows were designed; the screen has
// 15 twips to the pixel.
#pragma once

#include "platform/Win32.h"

#include <QRect>
#include <QWidget>
#include <cmath>

inline int Px(int twips)
{
    return static_cast<int>(std::lround(twips / static_cast<double>(TwipsPerPixel)));
}

inline QRect TwipsRect(int left, int top, int width, int height)
{
    return {Px(left), Px(top), Px(width), Px(height)};
}

// Places a control at left, top with width, height, all in twips.
inline void Place(QWidget* control, int left, int top, int width, int height)
{
    control->setGeometry(TwipsRect(left, top, width, height));
}
