#pragma once

#include "expectations.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPoint>
#include <QRect>

#include <vector>

// The expectations as pixels of a screen or a widget's image.

inline Rgb rgbOf(QRgb pixel) { return { qRed(pixel), qGreen(pixel), qBlue(pixel) }; }
inline QPoint pixelPoint(double x, double y, double ratio = 1)
{
    return { pixelFromTwips(x, ratio), pixelFromTwips(y, ratio) };
}
inline QRect pixelRect(TwipBox rect, double ratio = 1)
{
    return QRect(pixelFromTwips(rect.left, ratio), pixelFromTwips(rect.top, ratio), pixelFromTwips(rect.width, ratio),
        pixelFromTwips(rect.height, ratio));
}

Rgb colorAt(const QImage& image, QPoint point);
int countColor(const QImage& image, const QRect& rect, Rgb color);
// Whether the color is at the point or at a pixel at most `tolerance`
// pixels away in either direction.
testing::AssertionResult hasColorNear(const QImage& image, QPoint point, Rgb color, int tolerance = 0);

// Checks of a client area against the pictures' figures: sampled points on
// each, and points clear of all. A point is looked for within one pixel of
// where its twips fall, since how twips round to pixels and how a wide dot
// sits on its point are the program's own choice; the points checked to be
// empty lie well clear. Pen widths count device pixels at every density.

// 高山流水: the light-yellow frame, the light-cyan mountain line and the four
// light-green water runs.
void expectMountainsAndWater(const QImage& client, double ratio = 1);
// 金光大道: the sun's light-red core and light-yellow rim, the light-yellow
// rays, the magenta large arch and the light-yellow small arches.
void expectGoldenAvenue(const QImage& client, double ratio = 1);
