#pragma once

class QIcon;

// A generic window picture, a frame with a title bar, at 16 and 32 pixels:
// the same images the desktop shows for the program.
QIcon windowIcon();
