#pragma once

#include "drawing_surface.h"
#include "twips.h"

#include <QImage>
#include <QPainter>

#include <chrono>
#include <cstdint>

// The usual Qt way to put a point: QPainter::drawPoint with a round-capped
// pen of the current width, on a QImage the size of the layer.
//
// A full picture would take seconds this way, so only every paintOneIn-th
// PSet paints; the rest return at once. The time spent inside the painting
// calls is kept, so that a benchmark can scale the painting alone up to the
// whole picture without also multiplying the picture's own arithmetic.
class PainterSurface {
public:
    PainterSurface(int width, int height, int paintOneIn);

    SurfaceStatus DrawWidth(int pixels);
    SurfaceStatus Line(TwipPoint from, TwipPoint to, Color color, LineShape shape);
    SurfaceStatus Circle(TwipPoint center, float radius, Color color);
    SurfaceStatus PSet(TwipPoint point, Color color);
    SurfaceStatus Cls();

    // Closes the painter; the surface paints no more afterwards.
    void finish();

    std::chrono::nanoseconds paintingTime() const { return m_paintingTime; }
    std::int64_t paintedPoints() const { return m_paintedPoints; }

private:
    void usePen(Color color);

    QImage m_image;
    QPainter m_painter;
    int m_paintOneIn = 1;
    int m_untilPaint = 1;
    int m_drawWidth = 1;
    // A pen is only made when the colour or width changes, as a careful
    // caller would do; that favours QPainter, not us.
    Color m_penColor = Color::invalid();
    int m_penWidth = 0;
    std::chrono::nanoseconds m_paintingTime { 0 };
    std::int64_t m_paintedPoints = 0;
};
