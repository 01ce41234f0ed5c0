// The form's layout as the page reads it, handed to JavaScript as one object
// for write_form.cjs to write out as JSON. The build runs this under Node; the
// page's own core carries none of it.

#include "form1_handlers.h"
#include "form1_layout.h"
#include "mountains_and_water.h"

#include <emscripten/bind.h>

#include <cstdio>
#include <string>

namespace {

using emscripten::val;

// Embind turns both kinds of string into JavaScript ones, from UTF-16 and
// from UTF-8.
val text(std::u16string_view text) { return val(std::u16string(text)); }
val text(std::string_view text) { return val(std::string(text)); }

val cssColor(Color color)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", color.red(), color.green(), color.blue());
    return val(std::string(text));
}

const char* kindName(ControlKind kind)
{
    switch (kind) {
    case ControlKind::Shape:
        return "shape";
    case ControlKind::Label:
        return "label";
    case ControlKind::CommandButton:
        return "button";
    }
    return "";
}

// The form in CSS pixels, which are the classic 96-dots-per-inch pixels the
// twips are laid out in.
val form()
{
    const WindowLayout& window = form1Window();
    val form = val::object();
    form.set("caption", text(window.caption));
    form.set("version", text(window.version));
    form.set("background", cssColor(window.background));
    form.set("clientWidth", logicalPixelsFromTwips(window.clientWidth));
    form.set("clientHeight", logicalPixelsFromTwips(window.clientHeight));
    // The client area that shows the whole form, out to the far corner of
    // the frame 高山流水 paints: what a screen too small for it fits.
    form.set("extentWidth", logicalPixelsThrough(kFrameFarCorner.x));
    form.set("extentHeight", logicalPixelsThrough(kFrameFarCorner.y));
    val faces = val::array();
    for (const std::u16string_view face : window.labelFontFaces)
        faces.call<void>("push", text(face));
    form.set("labelFontFaces", faces);
    form.set("labelFontWeight", window.labelFontWeight);
    form.set("runTimeErrorTitle", text(kRunTimeErrorTitle));
    form.set("acknowledge", text(kAcknowledge));
    form.set("internalFailure", text(kInternalFailure));
    val controls = val::array();
    for (const ControlLayout& control : form1Controls()) {
        val shown = val::object();
        shown.set("name", text(control.name));
        shown.set("kind", kindName(control.kind));
        shown.set("text", text(control.text));
        shown.set("left", logicalPixelsFromTwips(control.rect.left));
        shown.set("top", logicalPixelsFromTwips(control.rect.top));
        shown.set("width", logicalPixelsFromTwips(control.rect.width));
        shown.set("height", logicalPixelsFromTwips(control.rect.height));
        shown.set("tabIndex", control.tabIndex);
        if (control.kind != ControlKind::CommandButton) {
            shown.set("foreground", cssColor(control.look.foreground));
            shown.set("fill", cssColor(control.look.background));
            // A point is 20 twips.
            shown.set("fontPixels", logicalPixelsFromTwips(int(control.look.fontPoints * 20)));
            shown.set("outlineDevicePixels", control.look.outlinePixels);
        }
        controls.call<void>("push", shown);
    }
    form.set("controls", controls);
    return form;
}

} // namespace

EMSCRIPTEN_BINDINGS(form_writer) { emscripten::function("form", &form); }
