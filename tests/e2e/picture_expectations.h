#pragma once

#include <QImage>

// Checks of a settled client area against the pictures' formulas. Each
// point is looked for within one pixel of where its twips fall, since how
// twips round to pixels and how a wide dot sits on its point are the
// program's own choice; the places checked to be empty lie well clear.

// 高山流水: the light-yellow frame, the light-cyan mountain line and the four
// light-green water runs.
void expectMountainsAndWater(const QImage& client);
// 金光大道: the sun's light-red core and light-yellow rim, the light-yellow
// rays, the magenta large arch and the light-yellow small arches.
void expectGoldenAvenue(const QImage& client);
