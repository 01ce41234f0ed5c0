#pragma once

#include "presenting.h"

#include <windows.h>

#include <cstdint>
#include <span>
#include <vector>

class FormPicture;
class Surface;

// Shows a Surface's layer over the form's picture, straight onto the
// window: the painting where the layer holds some, the form elsewhere. The
// window clips its buttons out of its device context, so the painting stays
// under them.
//
// The layer is not a saved copy of the window: wherever Windows has the
// window repainted, the window drops the painting there first, so the form
// shows again.
class LayerPresenter : public Presenter {
public:
    LayerPresenter(const Surface& surface, const FormPicture& form);

    void setWindow(HWND window) { m_window = window; }

    // On the screen before it returns, without the event loop, so painting
    // shows while a handler runs.
    void present(std::span<const PixelRect> deviceRects) override;

    // The client area as it should look within the rectangle.
    void show(HDC dc, PixelRect rect);

private:
    const Surface& m_surface;
    const FormPicture& m_form;
    HWND m_window = nullptr;
    // Kept between presents, so that a picture allocates only while its
    // painted region grows.
    std::vector<std::uint32_t> m_composed;
};
