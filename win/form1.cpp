#include "form1.h"

#include "form1_handlers.h"
#include "form1_layout.h"
#include "resources.h"
#include "wide_text.h"

#include <commctrl.h>

#include <algorithm>

namespace {

constexpr wchar_t kClassName[] = L"Form1";
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
// The buttons' control identifiers, past IDOK and IDCANCEL, which dialog
// navigation sends for Enter and Escape: the form has no default or cancel
// button.
constexpr int kFirstButtonId = 100;

HICON loadIcon(HINSTANCE instance, int sizeMetric)
{
    const int size = GetSystemMetrics(sizeMetric);
    return static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(TUXING_ICON), IMAGE_ICON, size, size, LR_DEFAULTCOLOR | LR_SHARED));
}

void registerClass(HINSTANCE instance, WNDPROC procedure)
{
    WNDCLASSEXW windowClass {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = loadIcon(instance, SM_CXICON);
    windowClass.hIconSm = loadIcon(instance, SM_CXSMICON);
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
    windowClass.lpszClassName = kClassName;
    RegisterClassExW(&windowClass);
}

// The window's size for a client area of the table's start size.
SIZE startSize(UINT dpi)
{
    const WindowLayout& layout = form1Window();
    RECT frame { 0, 0, devicePixels(layout.clientWidth, dpi), devicePixels(layout.clientHeight, dpi) };
    AdjustWindowRectExForDpi(&frame, kStyle, FALSE, 0, dpi);
    return { frame.right - frame.left, frame.bottom - frame.top };
}

// The platform's default font for controls. The stock object is sized for
// the system's density; a window on a monitor of another density takes it
// at that monitor's.
HFONT buttonFont(UINT dpi)
{
    LOGFONTW font {};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    font.lfHeight = MulDiv(font.lfHeight, int(dpi), int(GetDpiForSystem()));
    return CreateFontIndirectW(&font);
}

} // namespace

Form1::Form1(HINSTANCE instance)
{
    // A handler holds the thread for as long as its picture takes. Windows
    // must not swap the window for a ghost meanwhile, or the painting would
    // go on behind the ghost.
    DisableProcessWindowsGhosting();
    const INITCOMMONCONTROLSEX controls { sizeof controls, ICC_STANDARD_CLASSES };
    InitCommonControlsEx(&controls);
    registerClass(instance, &Form1::windowProcedure);

    const SIZE start = startSize(GetDpiForSystem());
    CreateWindowExW(0, kClassName, std::wstring(wide(form1Window().caption)).c_str(), kStyle, CW_USEDEFAULT,
        CW_USEDEFAULT, start.cx, start.cy, nullptr, nullptr, instance, this);
    if (!m_window)
        return;
    // The window may have opened on a monitor of another density than the
    // system's.
    m_dpi = GetDpiForWindow(m_window);
    const SIZE size = startSize(m_dpi);
    SetWindowPos(m_window, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    m_presenter.setWindow(m_window);
    m_surface.setPresenter(&m_presenter);
    createButtons(instance);
    followClientArea();
}

Form1::~Form1()
{
    if (m_window)
        DestroyWindow(m_window);
    if (m_buttonFont)
        DeleteObject(m_buttonFont);
}

void Form1::createButtons(HINSTANCE instance)
{
    for (const ControlLayout& control : form1Controls()) {
        if (control.kind == ControlKind::CommandButton)
            m_buttons.push_back({ control.name, control.rect });
    }
    // Dialog navigation moves the focus in the order the controls were
    // made.
    std::ranges::sort(m_buttons, {}, [](const Button& button) {
        return std::ranges::find(form1Controls(), button.name, &ControlLayout::name)->tabIndex;
    });
    for (Button& button : m_buttons) {
        const ControlLayout& control = *std::ranges::find(form1Controls(), button.name, &ControlLayout::name);
        button.window = CreateWindowExW(0, L"BUTTON", std::wstring(wide(control.text)).c_str(),
            WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 0, 0, 0, m_window,
            reinterpret_cast<HMENU>(INT_PTR(kFirstButtonId + control.tabIndex)), instance, nullptr);
    }
    // The first in tab order has the focus from the start, visible or not.
    if (!m_buttons.empty())
        m_focus = m_buttons.front().window;
    layOutButtons();
}

void Form1::layOutButtons()
{
    HFONT font = buttonFont(m_dpi);
    for (const Button& button : m_buttons) {
        const RECT rect = deviceRect(button.rect, m_dpi);
        MoveWindow(button.window, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
        SendMessageW(button.window, WM_SETFONT, WPARAM(font), TRUE);
    }
    if (m_buttonFont)
        DeleteObject(m_buttonFont);
    m_buttonFont = font;
}

void Form1::setPace(std::int64_t pointsPerSecond) { m_pacing = std::make_unique<PacingCheckpoint>(pointsPerSecond); }

void Form1::show(int how)
{
    ShowWindow(m_window, how);
    UpdateWindow(m_window);
}

int Form1::exec()
{
    MSG message {};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (m_window && IsDialogMessageW(m_window, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return message.message == WM_QUIT ? int(message.wParam) : 1;
}

void Form1::CmdCls_Click() { runHandler("CmdCls"); }

void Form1::CmdExit_Click()
{
    m_ending = true;
    DestroyWindow(m_window);
}

LRESULT CALLBACK Form1::windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* form = static_cast<Form1*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        form->m_window = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<Form1*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!form)
        return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        form->m_window = nullptr;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return form->handle(message, wParam, lParam);
}

LRESULT Form1::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED && lParam)
            click(reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_PAINT:
        paint();
        return 0;
    case WM_ERASEBKGND:
        // The picture covers every pixel.
        return 1;
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED)
            followClientArea();
        return 0;
    case WM_DISPLAYCHANGE:
        followClientArea();
        return 0;
    case WM_DPICHANGED:
        followDensity(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_ACTIVATE:
        keepFocus(wParam);
        return 0;
    case WM_SETFOCUS:
        if (m_focus)
            SetFocus(m_focus);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(m_window, message, wParam, lParam);
}

// The focus leaves with the window's activation and comes back to the same
// button, as in a dialog.
void Form1::keepFocus(WPARAM activation)
{
    if (LOWORD(activation) == WA_INACTIVE) {
        const HWND focused = GetFocus();
        if (focused && IsChild(m_window, focused))
            m_focus = focused;
    } else if (!HIWORD(activation) && m_focus) {
        SetFocus(m_focus);
    }
}

// The client area the layer and the picture cover: the window's, within the
// desktop's size. Windows keeps a window with a sizing frame no larger than
// the desktop; a window made larger all the same costs no more memory.
void Form1::followClientArea()
{
    RECT client {};
    GetClientRect(m_window, &client);
    const PixelSize covered { std::min<int>(client.right, GetSystemMetrics(SM_CXVIRTUALSCREEN)),
        std::min<int>(client.bottom, GetSystemMetrics(SM_CYVIRTUALSCREEN)) };
    m_picture.cover(covered, m_dpi);
    // The size is in device pixels already.
    const PixelSize layer = Surface::layerSizeFor(covered.width, covered.height, 1.0);
    // An enlarged window loses its painting, as the toolkit's would; Windows
    // repaints only what it added, so the rest is repainted here.
    if (m_surface.follow(layer, double(m_dpi) / USER_DEFAULT_SCREEN_DPI) == LayerChange::Replaced)
        InvalidateRect(m_window, nullptr, FALSE);
}

// As at a first start on that monitor: the buttons and their font, the
// labels and the layer follow the new density, and the painting is gone.
void Form1::followDensity(UINT dpi, const RECT& suggested)
{
    m_dpi = dpi;
    layOutButtons();
    SetWindowPos(m_window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
        suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    followClientArea();
    InvalidateRect(m_window, nullptr, FALSE);
}

// Whatever Windows has the window repaint lost its painting.
void Form1::paint()
{
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    if (GetUpdateRgn(m_window, region, FALSE) > NULLREGION) {
        std::vector<std::byte> data(GetRegionData(region, 0, nullptr));
        auto* rects = reinterpret_cast<RGNDATA*>(data.data());
        if (!data.empty() && GetRegionData(region, DWORD(data.size()), rects)) {
            const auto* rect = reinterpret_cast<const RECT*>(rects->Buffer);
            for (DWORD i = 0; i < rects->rdh.nCount; ++i, ++rect)
                m_surface.erase({ rect->left, rect->top, rect->right - 1, rect->bottom - 1 });
        }
    }
    DeleteObject(region);
    PAINTSTRUCT paint {};
    HDC dc = BeginPaint(m_window, &paint);
    m_presenter.show(dc, { paint.rcPaint.left, paint.rcPaint.top, paint.rcPaint.right - 1, paint.rcPaint.bottom - 1 });
    EndPaint(m_window, &paint);
}

void Form1::click(HWND button)
{
    const auto pressed = std::ranges::find(m_buttons, button, &Button::window);
    if (pressed == m_buttons.end())
        return;
    if (endsProgram(pressed->name))
        CmdExit_Click();
    else
        runHandler(pressed->name);
}

void Form1::runHandler(std::string_view button)
{
    // Once the program is ending, clicks still queued behind the exit do
    // nothing.
    if (m_ending)
        return;
    followClientArea();
    const std::optional<std::string> failure = runClickHandler(button, m_surface, m_pacing.get());
    if (failure) {
        MessageBoxW(
            m_window, wideFromUtf8(*failure).c_str(), wideFromUtf8(kRunTimeErrorTitle).c_str(), MB_OK | MB_ICONERROR);
    }
}
