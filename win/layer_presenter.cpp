#include "layer_presenter.h"

#include "form1_layout.h"
#include "form_picture.h"
#include "surface.h"

LayerPresenter::LayerPresenter(const Surface& surface, const FormPicture& form)
    : m_surface(surface)
    , m_form(form)
{
}

void LayerPresenter::present(std::span<const PixelRect> deviceRects)
{
    if (!m_window)
        return;
    HDC dc = GetDC(m_window);
    for (const PixelRect& rect : deviceRects)
        show(dc, rect);
    ReleaseDC(m_window, dc);
}

void LayerPresenter::show(HDC dc, PixelRect rect)
{
    const PixelSize formSize = m_form.size();
    const PixelRect shown = rect.intersected({ 0, 0, formSize.width - 1, formSize.height - 1 });
    if (shown != rect || !m_form.pixels()) {
        // Past the form's picture lies only what the desktop's bound leaves
        // out of it, where nothing is ever painted.
        SetDCBrushColor(dc, COLORREF(form1Window().background.value));
        const RECT all { rect.left, rect.top, rect.right + 1, rect.bottom + 1 };
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    }
    if (shown.isEmpty() || !m_form.pixels())
        return;

    const int width = shown.width();
    const int height = shown.height();
    m_composed.resize(std::size_t(width) * std::size_t(height));
    const PixelSize layerSize = m_surface.size();
    std::uint32_t* out = m_composed.data();
    for (int y = shown.top; y <= shown.bottom; ++y) {
        const std::uint32_t* form = m_form.pixels() + std::size_t(y) * std::size_t(formSize.width);
        const std::uint32_t* layer
            = y < layerSize.height ? m_surface.pixels() + std::size_t(y) * std::size_t(layerSize.width) : nullptr;
        // The layer's 0xAARRGGBB words are opaque where painted and 0 where
        // not; the window's pixels take the low three bytes alone.
        for (int x = shown.left; x <= shown.right; ++x) {
            const std::uint32_t painted = layer && x < layerSize.width ? layer[x] : 0;
            *out++ = painted ? painted : form[x];
        }
    }
    BITMAPINFO format {};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = -height; // top row first
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(dc, shown.left, shown.top, DWORD(width), DWORD(height), 0, 0, 0, UINT(height), m_composed.data(),
        &format, DIB_RGB_COLORS);
}
