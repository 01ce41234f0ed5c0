#pragma once

#include "form_picture.h"
#include "layer_presenter.h"
#include "surface.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

class PacingCheckpoint;

// The program's only window, built from the layout table on the Win32 API:
// a window class of its own with the table's caption, background and start
// size at the system's default place; the buttons as native BUTTON controls,
// in tab order; the panel and labels in the window's own picture, so that
// painting goes over them and stays under the buttons.
class Form1 {
public:
    explicit Form1(HINSTANCE instance);
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;
    ~Form1();

    // None once the window is gone, or when it could not be made.
    HWND window() const { return m_window; }
    Surface& surface() { return m_surface; }

    // Each handler from the next click on paints at that many points per
    // second; the window presents as it grows, at the display's rate.
    void setPace(std::int64_t pointsPerSecond);

    void show(int how);
    // Runs the event loop, with the platform's dialog navigation among the
    // buttons, until the window is gone; returns the program's exit status.
    int exec();

    void CmdCls_Click();
    void CmdExit_Click();

private:
    struct Button {
        std::string_view name;
        TwipRect rect;
        HWND window = nullptr;
    };

    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void createButtons(HINSTANCE instance);
    void layOutButtons();
    void followClientArea();
    void followDensity(UINT dpi, const RECT& suggested);
    void keepFocus(WPARAM activation);
    void paint();
    void click(HWND button);
    void runHandler(std::string_view button);

    HWND m_window = nullptr;
    UINT m_dpi = USER_DEFAULT_SCREEN_DPI;
    std::vector<Button> m_buttons; // in tab order
    // The control that has the focus while the window is active.
    HWND m_focus = nullptr;
    HFONT m_buttonFont = nullptr;
    Surface m_surface;
    FormPicture m_picture;
    LayerPresenter m_presenter { m_surface, m_picture };
    std::unique_ptr<PacingCheckpoint> m_pacing;
    bool m_ending = false;
};
