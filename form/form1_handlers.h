#pragma once

#include <optional>
#include <string>
#include <string_view>

class PacingCheckpoint;
class Surface;

// What a press on each of Form1's buttons runs, the same in every front-end.
// The picture and clear handlers paint on the window's surface; the end
// handler belongs to each front-end, since only it can end the program.

// The title of the dialog that shows a run-time error.
inline constexpr std::string_view kRunTimeErrorTitle = "运行时错误";
// The button that closes it, where a front-end draws that dialog itself.
inline constexpr std::string_view kAcknowledge = "确定";
// What it says when a handler fails for a reason of the machine's rather
// than the program's, such as running out of memory.
inline constexpr std::string_view kInternalFailure = "程序内部出错，这次操作未能完成。";

void CmdCls_Click(Surface& surface);

// True for the button whose click ends the program.
bool endsProgram(std::string_view button);

// Runs the click handler of the button named `button` to its end or to the
// run-time error that stops it, and returns that error's text, in UTF-8.
// Whatever it painted stays, and is presented before it returns. A button
// with no handler on the surface does nothing. With a pacing, the handler
// paints at its pace, counted from the handler's start: the pacing takes the
// surface's checkpoint for the run and gives it back to the surface's own.
std::optional<std::string> runClickHandler(
    std::string_view button, Surface& surface, PacingCheckpoint* pacing = nullptr);
