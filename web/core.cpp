// The program's core as the page's worker runs it: Form1's surface, the
// handlers the buttons run on it, and the layer presented to the page as
// rectangles of RGBA bytes, which a canvas takes as they are.

#include "form1_handlers.h"
#include "form1_layout.h"
#include "pace.h"
#include "surface.h"

#include <emscripten.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Hands a rectangle of RGBA bytes to the worker, which posts it to the page.
EM_JS(void, postRectangle, (int left, int top, int width, int height, const std::uint8_t* rgba),
    { Module["onPresent"](left, top, width, height, HEAPU8.slice(rgba, rgba + width * height * 4)); });

class PagePresenter : public Presenter {
public:
    explicit PagePresenter(const Surface& surface)
        : m_surface(surface)
    {
    }

    void present(std::span<const PixelRect> rects) override
    {
        for (const PixelRect rect : rects)
            presentRect(rect);
    }

private:
    void presentRect(PixelRect rect)
    {
        const PixelSize size = m_surface.size();
        const PixelRect shown { std::max(rect.left, 0), std::max(rect.top, 0), std::min(rect.right, size.width - 1),
            std::min(rect.bottom, size.height - 1) };
        if (shown.isEmpty())
            return;
        m_rgba.resize(std::size_t(shown.width()) * std::size_t(shown.height()));
        std::uint32_t* out = m_rgba.data();
        for (int y = shown.top; y <= shown.bottom; ++y) {
            const std::uint32_t* in = m_surface.pixels() + std::size_t(y) * std::size_t(size.width);
            // 0xAARRGGBB, and 0 where nothing is painted, becomes the bytes
            // R, G, B, A of a little-endian word: red and blue change places.
            for (int x = shown.left; x <= shown.right; ++x) {
                const std::uint32_t argb = in[x];
                *out++ = (argb & 0xFF00FF00u) | ((argb >> 16) & 0xFFu) | ((argb & 0xFFu) << 16);
            }
        }
        postRectangle(
            shown.left, shown.top, shown.width(), shown.height(), reinterpret_cast<const std::uint8_t*>(m_rgba.data()));
    }

    const Surface& m_surface;
    // Kept between presents, so that a picture allocates only while its
    // painted region grows.
    std::vector<std::uint32_t> m_rgba;
};

// A checkpoint the page's test installs through the page's address, as the
// desktop's tests install theirs: it makes a chosen operation fail, so the
// run-time error can be seen.
class FailingCheckpoint : public Checkpoint {
public:
    explicit FailingCheckpoint(std::int64_t count)
        : m_count(std::max<std::int64_t>(count, 1))
    {
    }
    std::int64_t operationsToNextStop() override { return m_failed ? 1 : m_count; }
    // Once it has failed, the surface presents by its own clock again.
    bool stop(Surface& surface) override
    {
        if (m_failed)
            return true;
        m_failed = true;
        surface.setCheckpoint(nullptr);
        return false;
    }

private:
    std::int64_t m_count;
    bool m_failed = false;
};

// The worker cannot sleep without shared memory; it waits instead.
void spinUntil(std::chrono::steady_clock::time_point until)
{
    while (std::chrono::steady_clock::now() < until) { }
}

struct Program {
    Surface surface;
    PagePresenter presenter { surface };
    std::unique_ptr<Checkpoint> checkpoint;
    std::unique_ptr<PacingCheckpoint> pacing;

    Program() { surface.setPresenter(&presenter); }
};

Program& program()
{
    static Program instance;
    return instance;
}

// Every click runs this one function, and so does the rehearsal below, so
// that the optimized code the rehearsal earns from the engine is the clicks'.
[[gnu::noinline]] std::optional<std::string> click(std::string_view button, Surface& surface, PacingCheckpoint* pacing)
{
    return runClickHandler(button, surface, pacing);
}

} // namespace

// What the worker calls, by these names. Strings cross as UTF-8.
extern "C" {

// The layer covers the client area in device pixels; a form scaled down to
// fit a small screen is the form at a lower density, and its painting is laid
// out at that density. Returns the LayerChange, as its number.
EMSCRIPTEN_KEEPALIVE int tuxing_follow(double logicalWidth, double logicalHeight, double devicePixelRatio, double scale)
{
    Surface& surface = program().surface;
    return int(
        surface.follow(Surface::layerSizeFor(logicalWidth, logicalHeight, devicePixelRatio), devicePixelRatio * scale));
}

EMSCRIPTEN_KEEPALIVE int tuxing_ends_program(const char* button) { return endsProgram(button); }

EMSCRIPTEN_KEEPALIVE int tuxing_layer_width() { return program().surface.size().width; }
EMSCRIPTEN_KEEPALIVE int tuxing_layer_height() { return program().surface.size().height; }

// Runs the button's handler; returns the run-time error's text that stopped
// it, or null. The text lives until the next call.
EMSCRIPTEN_KEEPALIVE const char* tuxing_click(const char* button)
{
    static std::optional<std::string> failure;
    failure = click(button, program().surface, program().pacing.get());
    return failure ? failure->c_str() : nullptr;
}

// An engine runs a function first as code compiled in haste, several times
// slower than its optimized code, and moves to the latter only once the
// function has run for a while, and then only from its next call on: a first
// click would paint all its picture in the slow code. So the worker paints
// each picture once as it starts, offstage, on a layer of no pixels: the
// step-th button's handler, counting those that have one. Returns false once
// there is no such button.
EMSCRIPTEN_KEEPALIVE bool tuxing_rehearse(int step)
{
    int handler = 0;
    for (const ControlLayout& control : form1Controls()) {
        if (control.kind != ControlKind::CommandButton || endsProgram(control.name) || handler++ != step)
            continue;
        Surface offstage;
        click(control.name, offstage, nullptr);
        return true;
    }
    return false;
}

// A pace takes the surface's checkpoint for each handler's run, and leaves
// this one out.
EMSCRIPTEN_KEEPALIVE void tuxing_fail_at(double operation)
{
    Program& state = program();
    state.checkpoint = std::make_unique<FailingCheckpoint>(std::int64_t(operation));
    state.surface.setCheckpoint(state.checkpoint.get());
}

// Takes the page's pace option as the page's address gives it; returns why
// it was refused, or null. The text lives until the next call.
EMSCRIPTEN_KEEPALIVE const char* tuxing_pace(const char* text)
{
    static std::string refusal;
    const PaceReading reading = readPace(text ? text : "");
    if (!reading.pointsPerSecond) {
        refusal = reading.refusal;
        return refusal.c_str();
    }
    program().pacing
        = std::make_unique<PacingCheckpoint>(*reading.pointsPerSecond, std::chrono::steady_clock::now, spinUntil);
    return nullptr;
}

} // extern "C"
