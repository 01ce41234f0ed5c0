#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <QPoint>
#include <QRect>

#include <cmath>
#include <ostream>
#include <vector>

// What the window should show, stated independently of the program's own
// tables so that a wrong table shows up as a failure here. Figures are twips,
// 15 to the pixel on the 96-dpi test display.

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

inline int pixelFromTwips(double twips) { return int(std::floor(twips / 15.0)); }
inline QPoint pixelFromTwips(double x, double y) { return { pixelFromTwips(x), pixelFromTwips(y) }; }
inline QRect pixelRectFromTwips(int left, int top, int width, int height)
{
    return QRect(left / 15, top / 15, width / 15, height / 15);
}

inline constexpr int kStartClientWidth = 312;
inline constexpr int kStartClientHeight = 213;
inline constexpr int kPanelLeft = 120;
inline constexpr int kPanelTop = 120;
inline constexpr int kPanelRight = 11895; // left + width: the first twip past the panel
inline constexpr int kPanelBottom = 8175;
inline constexpr int kOutlinePixels = 3;
inline constexpr int kNeededClientWidth = 797; // for the frame at 11950 x 8220 twips
inline constexpr int kNeededClientHeight = 548;

enum class Button {
    Gsls,
    Jgdd,
    Cls,
    Exit,
};

struct ExpectedButton {
    Button button;
    const char* caption;
    QRect rect; // client pixels
};

struct ExpectedLabel {
    const char* name;
    QRect rect;
    Rgb textColor;
};

// clang-format off
inline const ExpectedButton kButtons[] = {
//    button          caption       left   top   width height  (twips)
    { Button::Gsls,  "高山流水",  pixelRectFromTwips( 6600, 7440, 1095, 375) },
    { Button::Jgdd,  "金光大道",  pixelRectFromTwips( 7920, 7440,  975, 375) },
    { Button::Cls,   "清除",      pixelRectFromTwips( 9120, 7440,  975, 375) },
    { Button::Exit,  "退出",      pixelRectFromTwips(10320, 7440,  975, 375) },
};

inline const ExpectedLabel kLabels[] = {
//    name        left   top   width height  (twips)         text colour
    { "Label1",  pixelRectFromTwips(1080, 5520, 3375, 495),  colors::kYellow },
    { "Label2",  pixelRectFromTwips(1920, 6240, 1815, 375),  colors::kGreen  },
    { "Label3",  pixelRectFromTwips(2040, 6720, 1455, 375),  colors::kTeal   },
};
// clang-format on

QRect buttonRect(Button button);

// Focus frames and hover shading may change a button's face at any time, so
// comparisons of whole windows leave the buttons, plus a small margin, out.
std::vector<QRect> buttonFaces();

Rgb colorAt(const QImage& image, QPoint point);

// Whether the color is at the point or, with a tolerance, at a pixel at most
// that many pixels away in either direction.
testing::AssertionResult hasColorNear(const QImage& image, QPoint point, Rgb color, int tolerance = 0);
int countColor(const QImage& image, const QRect& rect, Rgb color);
testing::AssertionResult sameOutside(const QImage& expected, const QImage& actual, const std::vector<QRect>& excluded);
testing::AssertionResult sameInside(const QImage& expected, const QImage& actual, const QRect& rect);

// Walks from `from` towards the panel's inside, one `step` at a time, and
// expects dark green, then exactly three blue pixels beginning within the
// given range of walk positions, then black.
testing::AssertionResult crossesOutline(
    const QImage& image, QPoint from, QPoint step, int pixels, int firstBlueEarliest, int firstBlueLatest);
