#include "twips.h"

#include <cmath>
#include <limits>

TwipsToDevicePixels::TwipsToDevicePixels(double devicePixelRatio)
{
    const double exact = devicePixelRatio / kTwipsPerLogicalPixel;
    m_aboveExact = std::nextafter(exact, std::numeric_limits<double>::infinity());
    m_belowExact = std::nextafter(exact, 0.0);
}

int logicalPixelsFromTwips(int twips) { return int(std::lround(TwipsToDevicePixels(1.0)(twips))); }

int logicalPixelsThrough(float twips) { return int(std::floor(TwipsToDevicePixels(1.0)(twips))) + 1; }
