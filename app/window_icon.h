#pragma once

class QIcon;

// A generic window picture: a frame with a title bar, drawn at 16 and 32
// pixels.
QIcon windowIcon();
