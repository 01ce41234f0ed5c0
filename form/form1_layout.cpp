#include "form1_layout.h"

namespace {

constexpr Color kBlack = Color::fromRgb(0, 0, 0);
constexpr Color kBlue = Color::fromRgb(0, 0, 255);
constexpr Color kYellow = Color::fromRgb(255, 255, 0);
constexpr Color kGreen = Color::fromRgb(0, 255, 0);
constexpr Color kTeal = Color::fromRgb(0, 192, 192);
constexpr Color kDarkGreen = Color::fromRgb(0, 128, 0);

constexpr WindowLayout kWindow {
    u"图形程序设计 Morvane 2006.11.",
    kDarkGreen,
    4680,
    3195,
    { u"楷体_GB2312", u"AR PL KaitiM GB", u"AR PL UKai CN" },
    700,
    u"1.00",
};

// clang-format off
constexpr ControlLayout kControls[] = {
//  name       kind                        text              left   top   width  height  tab  look: foreground background points outline
    { "Shape1",  ControlKind::Shape,         u"",            { 120,  120, 11775, 8055 }, -1, { kBlue,    kBlack, 0,     3 } },
    { "Label1",  ControlKind::Label,         u"图形程序设计", { 1080, 5520, 3375,  495 },  4, { kYellow,  kBlack, 26.25, 0 } },
    { "Label2",  ControlKind::Label,         u"Morvane",     { 1920, 6240, 1815,  375 },  5, { kGreen,   kBlack, 15.75, 0 } },
    { "Label3",  ControlKind::Label,         u"2006.11.",    { 2040, 6720, 1455,  375 },  6, { kTeal,    kBlack, 15.75, 0 } },
    { "CmdJgdd", ControlKind::CommandButton, u"金光大道",     { 7920, 7440,  975,  375 },  0, {} },
    { "CmdGsls", ControlKind::CommandButton, u"高山流水",     { 6600, 7440, 1095,  375 },  1, {} },
    { "CmdCls",  ControlKind::CommandButton, u"清除",         { 9120, 7440,  975,  375 },  2, {} },
    { "CmdExit", ControlKind::CommandButton, u"退出",         {10320, 7440,  975,  375 },  3, {} },
};
// clang-format on

} // namespace

const WindowLayout& form1Window() { return kWindow; }

std::span<const ControlLayout> form1Controls() { return kControls; }
