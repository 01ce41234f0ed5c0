#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <QPoint>
#include <QRect>

#include <cmath>
#include <ostream>
#include <vector>

// What the window and its pictures must look like, held by the tests apart
// from the program's own tables, so that a wrong table shows up as a
// failure. Figures are twips; a twip figure lands on pixel
// floor(twips × ratio / 15), the ratio being the screen's dots per inch over 96.

struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;

    static Rgb of(QRgb pixel) { return { qRed(pixel), qGreen(pixel), qBlue(pixel) }; }
    friend bool operator==(Rgb, Rgb) = default;
    friend std::ostream& operator<<(std::ostream& stream, Rgb color)
    {
        return stream << "rgb(" << color.red << "," << color.green << "," << color.blue << ")";
    }
};

namespace colors {
inline constexpr Rgb kDarkGreen { 0, 128, 0 };
inline constexpr Rgb kBlack { 0, 0, 0 };
inline constexpr Rgb kBlue { 0, 0, 255 };
inline constexpr Rgb kYellow { 255, 255, 0 };
inline constexpr Rgb kGreen { 0, 255, 0 };
inline constexpr Rgb kTeal { 0, 192, 192 };
// Palette colours of the pictures.
inline constexpr Rgb kMagenta { 128, 0, 128 };
inline constexpr Rgb kLightGreen { 0, 255, 0 };
inline constexpr Rgb kLightCyan { 0, 255, 255 };
inline constexpr Rgb kLightRed { 255, 0, 0 };
inline constexpr Rgb kLightYellow { 255, 255, 0 };
} // namespace colors

struct TwipBox {
    int left;
    int top;
    int width;
    int height;
};

inline int pixelFromTwips(double twips, double ratio = 1) { return int(std::floor(twips * ratio / 15.0)); }
inline QPoint pixelPoint(double x, double y, double ratio = 1)
{
    return { pixelFromTwips(x, ratio), pixelFromTwips(y, ratio) };
}
inline QRect pixelRect(TwipBox rect, double ratio = 1)
{
    return QRect(pixelFromTwips(rect.left, ratio), pixelFromTwips(rect.top, ratio), pixelFromTwips(rect.width, ratio),
        pixelFromTwips(rect.height, ratio));
}

namespace layout {
inline constexpr char kCaption[] = "图形程序设计 Morvane 2006.11.";
inline constexpr Rgb kBackground = colors::kDarkGreen;
inline constexpr char kLabelFace[] = "楷体_GB2312";
inline constexpr int kStartWidth = 4680;
inline constexpr int kStartHeight = 3195;
inline constexpr TwipBox kPanel { 120, 120, 11775, 8055 };
inline constexpr int kOutlinePixels = 3;
// The far corner of the light-yellow box that 高山流水 paints: the client
// area needed to see the whole layout.
inline constexpr int kNeededWidth = 11950;
inline constexpr int kNeededHeight = 8220;

struct Label {
    const char* name;
    const char* text;
    TwipBox rect;
    Rgb color;
    int fontPixels; // at 96 dots per inch
};

struct Button {
    const char* name;
    const char* caption;
    TwipBox rect;
};

// clang-format off
inline constexpr Label kLabels[] = {
//    name      text            left  top   width height  colour           font
    { "Label1", "图形程序设计", { 1080, 5520, 3375, 495 }, colors::kYellow, 35 },
    { "Label2", "Morvane",      { 1920, 6240, 1815, 375 }, colors::kGreen,  21 },
    { "Label3", "2006.11.",     { 2040, 6720, 1455, 375 }, colors::kTeal,   21 },
};

// In tab order; the first has the focus from the start.
inline constexpr Button kButtons[] = {
//    name       caption       left   top   width height
    { "CmdJgdd", "金光大道", {  7920, 7440,  975, 375 } },
    { "CmdGsls", "高山流水", {  6600, 7440, 1095, 375 } },
    { "CmdCls",  "清除",     {  9120, 7440,  975, 375 } },
    { "CmdExit", "退出",     { 10320, 7440,  975, 375 } },
};
// clang-format on
enum ButtonIndex { Jgdd, Gsls, Cls, Exit };
} // namespace layout

Rgb colorAt(const QImage& image, QPoint point);
int countColor(const QImage& image, const QRect& rect, Rgb color);
// Whether the color is at the point or at a pixel at most `tolerance`
// pixels away in either direction.
testing::AssertionResult hasColorNear(const QImage& image, QPoint point, Rgb color, int tolerance = 0);

// Checks of a client area against the pictures' formulas. Each point is
// looked for within one pixel of where its twips fall, since how twips round
// to pixels and how a wide dot sits on its point are the program's own
// choice; the places checked to be empty lie well clear. Pen widths count
// device pixels at every density.

// 高山流水: the light-yellow frame, the light-cyan mountain line and the four
// light-green water runs.
void expectMountainsAndWater(const QImage& client, double ratio = 1);
// 金光大道: the sun's light-red core and light-yellow rim, the light-yellow
// rays, the magenta large arch and the light-yellow small arches.
void expectGoldenAvenue(const QImage& client, double ratio = 1);
