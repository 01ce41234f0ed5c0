#pragma once

#include "pixel_geometry.h"
#include "twips.h"

#include <windows.h>

#include <cstdint>

// Layout figures become device pixels at a window's dots per inch: whole
// logical pixels, scaled by the density.
int devicePixels(int twips, UINT dpi);
RECT deviceRect(TwipRect rect, UINT dpi);

// The form as it looks unpainted: the background, the panel and the labels,
// drawn from the layout table with GDI into an image of the client area.
// The window shows it wherever the layer holds no painting; the buttons are
// windows of their own.
class FormPicture {
public:
    FormPicture() = default;
    FormPicture(const FormPicture&) = delete;
    FormPicture& operator=(const FormPicture&) = delete;
    ~FormPicture();

    // Draws it anew when the client area has grown past it or the density
    // has changed; a smaller client area keeps it as it is.
    void cover(PixelSize clientArea, UINT dpi);

    PixelSize size() const { return m_size; }
    // size().height rows of size().width words, 0x00RRGGBB; none while the
    // image has no memory.
    const std::uint32_t* pixels() const { return m_pixels; }

private:
    void draw(HDC dc) const;

    HBITMAP m_bitmap = nullptr;
    std::uint32_t* m_pixels = nullptr;
    PixelSize m_size;
    UINT m_dpi = 0;
};
