#include "raster.h"

void buildDotRows(int width, std::vector<DotRow>& rows)
{
    const double radius = width / 2.0;
    rows.assign(std::size_t(std::max(width, 0)), DotRow {});
    for (int row = 0; row < width; ++row) {
        const double dy = row + 0.5 - radius;
        const double halfChord = std::sqrt(std::max(0.0, radius * radius - dy * dy));
        // Columns whose centre c + 0.5 satisfies |c + 0.5 - radius| <= halfChord.
        const int first = int(std::ceil(radius - halfChord - 0.5));
        const int last = int(std::floor(radius + halfChord - 0.5));
        rows[std::size_t(row)] = { std::max(0, first), std::min(width - 1, last) };
    }
}

PixelRect fillRect(
    Raster raster, std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom, std::uint32_t argb)
{
    left = std::max<std::int64_t>(left, 0);
    top = std::max<std::int64_t>(top, 0);
    right = std::min(right, raster.width - 1);
    bottom = std::min(bottom, raster.height - 1);
    if (left > right || top > bottom)
        return {};
    for (std::int64_t y = top; y <= bottom; ++y) {
        std::uint32_t* line = raster.pixels + y * raster.width;
        std::fill(line + left, line + right + 1, argb);
    }
    return { int(left), int(top), int(right), int(bottom) };
}

BoxEdges paintBox(Raster raster, std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2, std::int64_t pen,
    std::uint32_t argb)
{
    const std::int64_t before = pen / 2;
    const std::int64_t after = pen - 1 - before;
    return { fillRect(raster, x1 - before, y1 - before, x2 + after, y1 + after, argb),
        fillRect(raster, x1 - before, y2 - before, x2 + after, y2 + after, argb),
        fillRect(raster, x1 - before, y1 - before, x1 + after, y2 + after, argb),
        fillRect(raster, x2 - before, y1 - before, x2 + after, y2 + after, argb) };
}

PixelRect paintRing(
    Raster raster, std::int64_t centreX, std::int64_t centreY, double radius, std::int64_t pen, std::uint32_t argb)
{
    const double halfPen = double(pen) / 2.0;
    const double cx = double(centreX - pen / 2) + halfPen;
    const double cy = double(centreY - pen / 2) + halfPen;
    const double inner = std::max(0.0, radius - halfPen);
    const double outer = radius + halfPen;
    const double innerSquared = inner * inner;
    const double outerSquared = outer * outer;

    const auto left = std::int64_t(std::clamp(std::floor(cx - outer), 0.0, double(raster.width)));
    const auto right = std::int64_t(std::clamp(std::ceil(cx + outer), -1.0, double(raster.width - 1)));
    const auto top = std::int64_t(std::clamp(std::floor(cy - outer), 0.0, double(raster.height)));
    const auto bottom = std::int64_t(std::clamp(std::ceil(cy + outer), -1.0, double(raster.height - 1)));
    bool painted = false;
    for (std::int64_t y = top; y <= bottom; ++y) {
        const double dy = double(y) + 0.5 - cy;
        std::uint32_t* line = raster.pixels + y * raster.width;
        for (std::int64_t x = left; x <= right; ++x) {
            const double dx = double(x) + 0.5 - cx;
            const double distanceSquared = dx * dx + dy * dy;
            if (distanceSquared >= innerSquared && distanceSquared <= outerSquared) {
                line[x] = argb;
                painted = true;
            }
        }
    }
    if (!painted)
        return {};
    return { int(left), int(top), int(right), int(bottom) };
}
