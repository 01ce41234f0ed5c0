#pragma once

#include "twips.h"

#include <array>
#include <span>
#include <string_view>

// The window's look and layout as data. Form1 is built by walking these
// tables; no other file states a position, size, caption, font or colour.

enum class ControlKind {
    Shape,
    Label,
    CommandButton,
};

// The parts of a control's look it has of its own; a command button keeps
// the platform's look and uses none of them.
struct ControlLook {
    Color foreground; // label text, panel outline
    Color background; // label and panel fill
    double fontPoints = 0; // labels
    int outlinePixels = 0; // panel
};

struct ControlLayout {
    std::string_view name;
    ControlKind kind;
    std::u16string_view text;
    TwipRect rect;
    int tabIndex; // -1: takes no place in the tab order
    ControlLook look;
};

struct WindowLayout {
    std::u16string_view caption;
    Color background;
    int clientWidth; // twips, at start
    int clientHeight;
    std::array<std::u16string_view, 3> labelFontFaces; // first found wins; fontconfig falls back past them
    int labelFontWeight;
    std::u16string_view version;
};

const WindowLayout& form1Window();

// Back to front.
std::span<const ControlLayout> form1Controls();
