#include "form_picture.h"

#include "form1_layout.h"
#include "wide_text.h"

#include <algorithm>

int devicePixels(int twips, UINT dpi)
{
    return MulDiv(logicalPixelsFromTwips(twips), int(dpi), USER_DEFAULT_SCREEN_DPI);
}

RECT deviceRect(TwipRect rect, UINT dpi)
{
    return { devicePixels(rect.left, dpi), devicePixels(rect.top, dpi), devicePixels(rect.left + rect.width, dpi),
        devicePixels(rect.top + rect.height, dpi) };
}

namespace {

// A colour's 0x00BBGGRR is a COLORREF as it stands.
void fill(HDC dc, const RECT& rect, Color color)
{
    SetDCBrushColor(dc, COLORREF(color.value));
    FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

// The first face of the table, in the GB2312 character set: where it is
// missing, Windows' font mapper picks the face, by its substitutes and then
// by the character set.
HFONT labelFont(double points, UINT dpi)
{
    const WindowLayout& window = form1Window();
    LOGFONTW font {};
    // A point is 20 twips; a negative height asks for the em, as a point
    // size does.
    font.lfHeight = -devicePixels(int(points * 20), dpi);
    font.lfWeight = window.labelFontWeight;
    font.lfCharSet = GB2312_CHARSET;
    const std::wstring_view face = wide(window.labelFontFaces.front());
    face.copy(font.lfFaceName, std::min<std::size_t>(face.size(), LF_FACESIZE - 1));
    return CreateFontIndirectW(&font);
}

void drawLabel(HDC dc, const ControlLayout& label, RECT rect, UINT dpi)
{
    fill(dc, rect, label.look.background);
    HFONT font = labelFont(label.look.fontPoints, dpi);
    const HGDIOBJ previous = SelectObject(dc, font);
    SetTextColor(dc, COLORREF(label.look.foreground.value));
    SetBkMode(dc, TRANSPARENT);
    const std::wstring_view text = wide(label.text);
    // From the top-left of the label's rectangle, and clipped to it.
    DrawTextW(dc, text.data(), int(text.size()), &rect, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, previous);
    DeleteObject(font);
}

} // namespace

FormPicture::~FormPicture()
{
    if (m_bitmap)
        DeleteObject(m_bitmap);
}

void FormPicture::cover(PixelSize clientArea, UINT dpi)
{
    if (clientArea.width <= m_size.width && clientArea.height <= m_size.height && dpi == m_dpi)
        return;
    if (m_bitmap)
        DeleteObject(m_bitmap);
    m_bitmap = nullptr;
    m_pixels = nullptr;
    m_size = {};
    m_dpi = dpi;
    if (clientArea.width <= 0 || clientArea.height <= 0)
        return;

    BITMAPINFO format {};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = clientArea.width;
    format.bmiHeader.biHeight = -clientArea.height; // top row first
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    m_bitmap = CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!m_bitmap)
        return;
    m_pixels = static_cast<std::uint32_t*>(bits);
    m_size = clientArea;

    HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ previous = SelectObject(dc, m_bitmap);
    draw(dc);
    SelectObject(dc, previous);
    DeleteDC(dc);
    // The words are read straight from memory next.
    GdiFlush();
}

void FormPicture::draw(HDC dc) const
{
    fill(dc, { 0, 0, m_size.width, m_size.height }, form1Window().background);
    for (const ControlLayout& control : form1Controls()) {
        const RECT rect = deviceRect(control.rect, m_dpi);
        switch (control.kind) {
        case ControlKind::Shape: {
            // The outline lies inside the panel's rectangle and counts device
            // pixels, as a pen's width does.
            fill(dc, rect, control.look.foreground);
            RECT inside = rect;
            InflateRect(&inside, -control.look.outlinePixels, -control.look.outlinePixels);
            fill(dc, inside, control.look.background);
            break;
        }
        case ControlKind::Label:
            drawLabel(dc, control, rect, m_dpi);
            break;
        case ControlKind::CommandButton:
            break;
        }
    }
}
