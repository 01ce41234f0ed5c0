// One click on 金光大道 in the Windows program, from the click to the
// window's last present: the real window at the benchmarks' size, clicked
// through its own button over and over, as the desktop's CmdJgdd_Click/window
// figure runs its handler. Prints the median and the fastest of the runs.

#include "form1.h"
#include "form1_layout.h"
#include "wide_text.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// A maximized window on a common desktop, as in the desktop's benchmarks.
constexpr int kClientWidth = 1280;
constexpr int kClientHeight = 1024;
constexpr int kRuns = 10;
constexpr std::string_view kButton = "CmdJgdd";

// Lets the window handle what is queued, such as its repaints.
void handleQueued()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

} // namespace

int wmain()
{
    Form1 form(GetModuleHandleW(nullptr));
    RECT frame { 0, 0, kClientWidth, kClientHeight };
    AdjustWindowRectExForDpi(
        &frame, DWORD(GetWindowLongW(form.window(), GWL_STYLE)), FALSE, 0, GetDpiForWindow(form.window()));
    SetWindowPos(
        form.window(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top, SWP_NOMOVE | SWP_NOZORDER);
    form.show(SW_SHOWNORMAL);
    handleQueued();

    const ControlLayout& control = *std::ranges::find(form1Controls(), kButton, &ControlLayout::name);
    const HWND button = FindWindowExW(form.window(), nullptr, L"BUTTON", std::wstring(wide(control.text)).c_str());
    if (!button) {
        std::fprintf(stderr, "no button %s\n", kButton.data());
        return 1;
    }
    std::vector<double> milliseconds;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = std::chrono::steady_clock::now();
        // The button clicks itself and its handler runs before this returns.
        SendMessageW(button, BM_CLICK, 0, 0);
        milliseconds.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        handleQueued();
    }
    std::ranges::sort(milliseconds);
    RECT client {};
    GetClientRect(form.window(), &client);
    std::printf("%s_Click in tuxing.exe, %ldx%ld: median %.1f ms, fastest %.1f ms of %d\n", kButton.data(),
        client.right, client.bottom, milliseconds[kRuns / 2], milliseconds.front(), kRuns);
    return 0;
}
