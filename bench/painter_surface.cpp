#include "painter_surface.h"

#include <QColor>
#include <QPen>

static_assert(DrawingSurface<PainterSurface>);

namespace {

const TwipsToDevicePixels kToDevicePixels { 1.0 };

QColor qColor(Color color) { return QColor(color.red(), color.green(), color.blue()); }

QPointF devicePoint(TwipPoint point) { return QPointF(kToDevicePixels(point.x), kToDevicePixels(point.y)); }

} // namespace

PainterSurface::PainterSurface(int width, int height, int paintOneIn)
    : m_image(width, height, QImage::Format_ARGB32_Premultiplied)
    , m_paintOneIn(paintOneIn)
    , m_untilPaint(paintOneIn)
{
    m_image.fill(Qt::transparent);
    m_painter.begin(&m_image);
}

void PainterSurface::finish() { m_painter.end(); }

SurfaceStatus PainterSurface::DrawWidth(int pixels)
{
    m_drawWidth = pixels;
    return SurfaceStatus::Ok;
}

SurfaceStatus PainterSurface::Line(TwipPoint from, TwipPoint to, Color color, LineShape)
{
    usePen(color);
    m_painter.setBrush(Qt::NoBrush);
    m_painter.drawRect(QRectF(devicePoint(from), devicePoint(to)).normalized());
    return SurfaceStatus::Ok;
}

SurfaceStatus PainterSurface::Circle(TwipPoint center, float radius, Color color)
{
    usePen(color);
    m_painter.setBrush(Qt::NoBrush);
    const double ring = kToDevicePixels(radius);
    m_painter.drawEllipse(devicePoint(center), ring, ring);
    return SurfaceStatus::Ok;
}

SurfaceStatus PainterSurface::PSet(TwipPoint point, Color color)
{
    if (--m_untilPaint > 0)
        return SurfaceStatus::Ok;
    m_untilPaint = m_paintOneIn;
    const auto start = std::chrono::steady_clock::now();
    usePen(color);
    m_painter.drawPoint(devicePoint(point));
    m_paintingTime += std::chrono::steady_clock::now() - start;
    ++m_paintedPoints;
    return SurfaceStatus::Ok;
}

SurfaceStatus PainterSurface::Cls()
{
    m_image.fill(Qt::transparent);
    return SurfaceStatus::Ok;
}

void PainterSurface::usePen(Color color)
{
    if (color == m_penColor && m_drawWidth == m_penWidth)
        return;
    m_penColor = color;
    m_penWidth = m_drawWidth;
    m_painter.setPen(QPen(qColor(color), m_drawWidth, Qt::SolidLine, Qt::RoundCap));
}
