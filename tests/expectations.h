#pragma once

#include <cmath>
#include <ostream>
#include <span>

// What the window and its pictures must look like, held by the tests apart
// from the program's own tables, so that a wrong table shows up as a
// failure. Figures are twips; a twip figure lands on pixel
// floor(twips × ratio / 15), the ratio being the screen's dots per inch over 96.

struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;

    friend bool operator==(Rgb, Rgb) = default;
    friend std::ostream& operator<<(std::ostream& stream, Rgb color)
    {
        return stream << "rgb(" << color.red << "," << color.green << "," << color.blue << ")";
    }
};

// The 16-colour palette of the pictures, by index.
inline constexpr Rgb kPalette[16] = {
    { 0, 0, 0 }, //  0 black
    { 0, 0, 128 }, //  1 blue
    { 0, 128, 0 }, //  2 green
    { 0, 128, 128 }, //  3 cyan
    { 128, 0, 0 }, //  4 red
    { 128, 0, 128 }, //  5 magenta
    { 128, 128, 0 }, //  6 yellow
    { 192, 192, 192 }, //  7 white
    { 128, 128, 128 }, //  8 grey
    { 0, 0, 255 }, //  9 light blue
    { 0, 255, 0 }, // 10 light green
    { 0, 255, 255 }, // 11 light cyan
    { 255, 0, 0 }, // 12 light red
    { 255, 0, 255 }, // 13 light magenta
    { 255, 255, 0 }, // 14 light yellow
    { 255, 255, 255 }, // 15 bright white
};

namespace colors {
inline constexpr Rgb kDarkGreen { 0, 128, 0 };
inline constexpr Rgb kBlack { 0, 0, 0 };
inline constexpr Rgb kBlue { 0, 0, 255 };
inline constexpr Rgb kYellow { 255, 255, 0 };
inline constexpr Rgb kGreen { 0, 255, 0 };
inline constexpr Rgb kTeal { 0, 192, 192 };
// Palette colours of the pictures.
inline constexpr Rgb kMagenta = kPalette[5];
inline constexpr Rgb kLightGreen = kPalette[10];
inline constexpr Rgb kLightCyan = kPalette[11];
inline constexpr Rgb kLightRed = kPalette[12];
inline constexpr Rgb kLightYellow = kPalette[14];
} // namespace colors

struct TwipBox {
    int left;
    int top;
    int width;
    int height;
};

inline int pixelFromTwips(double twips, double ratio = 1) { return int(std::floor(twips * ratio / 15.0)); }
namespace layout {
inline constexpr char kCaption[] = "图形程序设计 Morvane 2006.11.";
inline constexpr Rgb kBackground = colors::kDarkGreen;
inline constexpr char kLabelFace[] = "楷体_GB2312";
inline constexpr char kRunTimeErrorTitle[] = "运行时错误";
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

// The points each picture paints: at a pace of P points a second, a picture
// of N points takes no less than N / P seconds.
namespace points {
inline constexpr int kMountainsAndWater = 1'000'000;
inline constexpr int kGoldenAvenue = 2'547'435;
} // namespace points

// Painting at a pace of 600,000 points a second: 高山流水's 1,000,004
// operations take 1.66667 s, its water's first point comes after 200,004 of
// them, at 0.33334 s, and 金光大道's 2,547,442 take 4.24574 s. The painting
// reaches the screen about as often as a display of 60 frames a second
// shows a frame.
namespace pace {
inline constexpr long long kPointsPerSecond = 600'000;
inline constexpr double kMountainsAndWaterSeconds = 1.66667;
inline constexpr double kWaterEarliestSeconds = 0.33334;
inline constexpr double kGoldenAvenueSeconds = 4.24573;
inline constexpr double kShortestFrame = 0.015;
inline constexpr double kLongestFrame = 0.020;
} // namespace pace

// The pictures' figures, worked out by hand from their formulas in double
// precision; a figure given to more places than a float holds is the value
// handed over, which the float nearest it must equal.
struct Spot {
    double x = 0;
    double y = 0;
};

// Passes over one figure: `points` points a pass at pen width `width`, the
// passes in the palette colours `colors`, one after another.
struct Passes {
    const char* name;
    int points;
    int width;
    std::span<const int> colors;
};

// Each layer of 800 x 560 pixels at 96 dots per inch, as 64-bit FNV-1a of its
// 0xAARRGGBB words, lowest byte first. Recorded once, after the figures were
// seen where the counts and spans below put them.
struct LayerDigest {
    const char* name;
    const char* buttons[2];
    unsigned long long fnv1a;
};
// The points of a picture's PSet calls in order, each x then y as handed
// over, as the same digest of their single-precision words: worked out
// from the formulas and stepped ranges apart from the program.
inline constexpr unsigned long long kMountainsAndWaterPoints = 0x9d4e4e61a5b5a61d;
inline constexpr unsigned long long kGoldenAvenuePoints = 0x81f896635a9466ba;
inline constexpr int kDigestWidth = 800;
inline constexpr int kDigestHeight = 560;
inline constexpr LayerDigest kLayerDigests[] = {
    { "mountainsAndWater", { "CmdGsls" }, 0xc3a611674279feb5 },
    { "goldenAvenue", { "CmdJgdd" }, 0x8b91d43c0c934388 },
    { "bothComposeOneScene", { "CmdGsls", "CmdJgdd" }, 0x40e535b430acb5fc },
};

// 高山流水: pen widths, a light-yellow box, four passes over the mountain line
// and five over the water runs.
namespace mountainsAndWater {
inline constexpr int kCalls = 1'000'004;
inline constexpr int kPenWidths[] = { 2, 3, 2 };
inline constexpr Spot kBoxFrom { 40, 40 };
inline constexpr Spot kBoxTo { 11950, 8220 };
inline constexpr int kBoxColor = 14;
inline constexpr int kMountainPoints = 50'000;
inline constexpr int kWaterPoints = 160'000;
inline constexpr int kMountainColors[] = { 14, 13, 12, 11 };
inline constexpr int kWaterColors[] = { 14, 13, 12, 11, 10 };
inline constexpr Passes kMountains { "mountains", kMountainPoints, 3, kMountainColors };
inline constexpr Passes kWater { "water", kWaterPoints, 2, kWaterColors };

// x from 555 by 0.1: 0.1 added 49,999 times in double lands here, and once
// more passes 5555.
inline constexpr double kLastX = 5554.90000000262;
// 3000 - (Sin(555 / 333) x 0.4) x 555.
inline constexpr Spot kFirstPoint { 555, 2779.019433379 };
inline constexpr Spot kLastPoint { kLastX, 4837.145743953 };
inline constexpr double kTop = 1112.24;
inline constexpr double kBottom = 4837.15;

// Each run stops 0.1 short of x2.
struct WaterRun {
    int y;
    int x1;
    int x2;
    double lastX;
    int points;
};
// clang-format off
inline constexpr WaterRun kWaterRuns[] = {
//     y     x1     x2       last x   points
    { 6100, 5150, 11550, 11549.900000023, 64'000 },
    { 6400, 5950, 10750, 10749.900000017, 48'000 },
    { 6700, 6750,  9950,  9949.900000012, 32'000 },
    { 7000, 7550,  9150,  9149.900000006, 16'000 },
};
// clang-format on

// clang-format off
// On the mountain line, and 150 twips off it where the line stays at least 90
// away.
inline constexpr Spot kOnLine[] = {
    { 600, 2766.4 }, { 1200, 3214.0 }, { 2000, 3218.9 }, { 2800, 2047.8 },
    { 3600, 4415.5 }, { 4400, 1939.3 }, { 5000, 1722.4 }, { 5500, 4591.2 },
};
inline constexpr Spot kClearOfLine[] = {
    { 600, 2616.4 }, { 600, 2916.4 }, { 1050, 3214.0 }, { 1350, 3214.0 }, { 1850, 3218.9 }, { 2150, 3218.9 },
    { 2800, 1897.8 }, { 2950, 2047.8 }, { 3600, 4565.5 }, { 3450, 4415.5 }, { 4250, 1939.3 }, { 4550, 1939.3 },
    { 4850, 1722.4 }, { 5150, 1722.4 }, { 5350, 4591.2 }, { 5650, 4591.2 },
    // Beyond either end.
    { 405, 2779.0 }, { 5705, 4837.6 },
};
// clang-format on
} // namespace mountainsAndWater

// 金光大道: the sun's rim and core, six passes over 32 rays, the large arch,
// six passes over the six small arches.
namespace goldenAvenue {
inline constexpr int kCalls = 2'547'442;
inline constexpr int kPenWidths[] = { 3, 66, 1, 3, 2 };
inline constexpr Spot kSun { 8000, 2000 };
inline constexpr double kRimRadius = 500;
inline constexpr int kRimColor = 14;
inline constexpr int kCoreColor = 12;
inline constexpr int kCorePixels = 66;

inline constexpr int kRays = 32;
inline constexpr int kRayPoints = 11'341;
inline constexpr int kRayPassPoints = kRays * kRayPoints;
inline constexpr int kArchPoints = 9'999;
inline constexpr int kSmallArchPassPoints = 6 * kArchPoints;
inline constexpr int kLightBlueToLightYellow[] = { 9, 10, 11, 12, 13, 14 };
inline constexpr int kMagenta[] = { 5 };
inline constexpr Passes kRayPasses { "rays", kRayPassPoints, 1, kLightBlueToLightYellow };
inline constexpr Passes kLargeArch { "large arch", kArchPoints, 3, kMagenta };
inline constexpr Passes kSmallArches { "small arches", kSmallArchPassPoints, 2, kLightBlueToLightYellow };

// 3.14 minus whole multiples of 0.19625; the 33rd lies below -3.14.
// clang-format off
inline constexpr double kRayAngles[kRays] = {
     3.14,     2.94375,  2.7475,   2.55125,  2.355,    2.15875,  1.9625,   1.76625,
     1.57,     1.37375,  1.1775,   0.98125,  0.785,    0.58875,  0.3925,   0.19625,
     0,       -0.19625, -0.3925,  -0.58875, -0.785,   -0.98125, -1.1775,  -1.37375,
    -1.57,    -1.76625, -1.9625,  -2.15875, -2.355,   -2.55125, -2.7475,  -2.94375,
};
// clang-format on
inline constexpr double kRayFrom = 666;
inline constexpr double kRayTo = 1800;
inline constexpr double kLastRadius = 1799.99999999937;
// 8000 + Cos(3.14) x 666, 2000 - Sin(3.14) x 666.
inline constexpr Spot kFirstRayPoint { 7334.000845, 1998.939293 };

// From 3.14 by -3.14 / 9999 down to here; the next lies below 0.
inline constexpr double kLastArchAngle = 0.000314031402830;
inline constexpr Spot kLargeArchFirst { 4900.004376, 5997.770286 };
inline constexpr Spot kLargeArchLast { 11799.999830, 5999.560356 };
inline constexpr Spot kLargeArchTop { 8350, 4600 };
inline constexpr int kSmallArchCenters[] = { 6350, 7150, 7950, 8750, 9550, 10350 };
// Relative to the arch's centre in x.
inline constexpr Spot kSmallArchFirst { -399.999493, 5899.044408 };
inline constexpr Spot kSmallArchLast { 399.999980, 5899.811581 };

// The figures' spans: rays, large arch, small arches. The arches never reach
// t = 0: their right feet stay short of y = 6000 and 5900.
inline constexpr Spot kRaysFrom { 6200, 200 };
inline constexpr Spot kRaysTo { 9800, 3800 };
inline constexpr Spot kLargeArchFrom { 4900, 4600 };
inline constexpr Spot kLargeArchTo { 11800, kLargeArchLast.y };
inline constexpr Spot kSmallArchesFrom { 5950, 5300 };
inline constexpr Spot kSmallArchesTo { 10750, kSmallArchLast.y };

// Points on the figures and points clear of them, for checks of a screen:
// the rim a little outside the core, the gap between rim and rays; rays 0,
// 8, 16, 24 and 31 at radii 700 and 1780, between rays at 1700 and beyond
// their ends at 1850; the large arch at t = 2.9, 2.4, 1.2 and 0.6, and above
// its top; the small arches at t = 2.6 and 0.5 relative to their centre.
inline constexpr Spot kRim[] = { { 8510, 2000 }, { 7490, 2000 }, { 8000, 1490 }, { 8000, 2510 } };
inline constexpr Spot kInsideRays[] = { { 8590, 2000 }, { 7410, 2000 }, { 8000, 1410 }, { 8000, 2590 } };
// clang-format off
inline constexpr Spot kOnRays[] = {
    { 7300.0, 1998.9 }, { 6220.0, 1997.2 }, { 8000.6, 1300.0 }, { 8001.4, 220.0 },
    { 8700.0, 2000.0 }, { 9780.0, 2000.0 }, { 8000.6, 2700.0 }, { 8001.4, 3780.0 },
    { 7313.7, 2137.6 }, { 6254.7, 2349.9 },
};
inline constexpr Spot kClearOfRays[] = {
    { 6308.4, 1830.8 }, { 9691.8, 1833.5 }, { 8167.9, 3691.7 }, { 6308.2, 2166.5 },
    { 6150.0, 1997.1 }, { 9850.0, 2000.0 }, { 8001.5, 3850.0 }, { 6186.1, 2363.6 },
};
inline constexpr Spot kOnLargeArch[] = {
    kLargeArchTop, { 5000.2, 5665.1 }, { 5806.0, 5054.4 }, { 9600.1, 4695.1 }, { 11197.4, 5209.5 },
};
// clang-format on
inline constexpr Spot kAboveLargeArch { 8350, 4450 };
inline constexpr Spot kOnSmallArch[] = { { 0, 5300 }, { -342.8, 5590.7 }, { 351.0, 5612.3 } };
inline constexpr Spot kUnderSmallArch { 0, 5650 };
} // namespace goldenAvenue
