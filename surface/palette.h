#pragma once

#include "twips.h"

// The 16-colour palette by index. An index outside 0-15 gives
// Color::invalid(), which every drawing operation refuses.
Color QBColor(int index);

// Names for the palette indexes the pictures use.
enum class PaletteIndex {
    Magenta = 5,
    LightBlue = 9,
    LightGreen = 10,
    LightCyan = 11,
    LightRed = 12,
    LightMagenta = 13,
    LightYellow = 14,
};
