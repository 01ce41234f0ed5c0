#pragma once

#include <cmath>
#include <ostream>

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
