#pragma once

// Device-pixel geometry of the layer. A rectangle names its first and last
// pixel on each axis, so one pixel is { x, y, x, y } and the default is empty.

struct PixelSize {
    int width = 0;
    int height = 0;

    friend constexpr bool operator==(PixelSize, PixelSize) = default;
};

struct PixelRect {
    int left = 0;
    int top = 0;
    int right = -1;
    int bottom = -1;

    constexpr bool isEmpty() const { return left > right || top > bottom; }
    constexpr int width() const { return isEmpty() ? 0 : right - left + 1; }
    constexpr int height() const { return isEmpty() ? 0 : bottom - top + 1; }

    constexpr PixelRect united(PixelRect other) const
    {
        if (isEmpty())
            return other;
        if (other.isEmpty())
            return *this;
        return { left < other.left ? left : other.left, top < other.top ? top : other.top,
            right > other.right ? right : other.right, bottom > other.bottom ? bottom : other.bottom };
    }
    constexpr PixelRect intersected(PixelRect other) const
    {
        return { left > other.left ? left : other.left, top > other.top ? top : other.top,
            right < other.right ? right : other.right, bottom < other.bottom ? bottom : other.bottom };
    }

    friend constexpr bool operator==(PixelRect, PixelRect) = default;
};
