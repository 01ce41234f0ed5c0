// What the page's test holds the page to, from this side of the browser:
//   reference expectations          the form's expected layout and the
//                                   pictures' points, as JSON
//   reference layer W H RATIO B...  the native core's layer of W x H device
//                                   pixels after the buttons B are pressed,
//                                   as RGBA bytes on standard output

#include "expectations.h"
#include "form1_handlers.h"
#include "surface.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

using Json = nlohmann::ordered_json;

std::string css(Rgb color)
{
    return "rgb(" + std::to_string(color.red) + ", " + std::to_string(color.green) + ", " + std::to_string(color.blue)
        + ")";
}

// Each control as the page's test reads it from the page: CSS pixels and
// computed colours.
Json control(const char* name, TwipBox box)
{
    return { { "name", name },
        { "rect",
            { { "left", pixelFromTwips(box.left) }, { "top", pixelFromTwips(box.top) },
                { "width", pixelFromTwips(box.width) }, { "height", pixelFromTwips(box.height) } } } };
}

// To four places, as this tool has always given it.
double cssPixelsFromTwips(int twips) { return std::round(twips / 15.0 * 1e4) / 1e4; }

void printExpectations()
{
    using namespace layout;
    Json form = { { "caption", kCaption }, { "background", css(kBackground) }, { "panel", control("Shape1", kPanel) } };
    form["panel"]["outline"] = std::to_string(kOutlinePixels) + "px " + css(colors::kBlue);
    form["labels"] = Json::array();
    for (const Label& label : kLabels) {
        Json shown = control(label.name, label.rect);
        shown.update({ { "text", label.text }, { "color", css(label.color) }, { "face", kLabelFace },
            { "fontPixels", label.fontPixels } });
        form["labels"].push_back(shown);
    }
    form["buttons"] = Json::array();
    for (const Button& button : kButtons) {
        Json shown = control(button.name, button.rect);
        shown["text"] = button.caption;
        form["buttons"].push_back(shown);
    }
    const Json expectations
        = { { "points", { { "CmdGsls", points::kMountainsAndWater }, { "CmdJgdd", points::kGoldenAvenue } } },
              { "runTimeErrorTitle", layout::kRunTimeErrorTitle },
              // The client area the whole form needs, in CSS pixels.
              { "needed",
                  { { "width", cssPixelsFromTwips(kNeededWidth) }, { "height", cssPixelsFromTwips(kNeededHeight) } } },
              { "form", form } };
    std::puts(expectations.dump().c_str());
}

int printLayer(int argc, char** argv)
{
    Surface surface({ std::atoi(argv[2]), std::atoi(argv[3]) }, std::atof(argv[4]));
    for (int i = 5; i < argc; ++i) {
        if (runClickHandler(argv[i], surface)) {
            std::fprintf(stderr, "reference: %s stopped on a run-time error\n", argv[i]);
            return 1;
        }
    }
    // The canvas reads back its pixels as RGBA bytes, unpainted ones as 0.
    std::vector<unsigned char> rgba;
    const PixelSize size = surface.size();
    for (int y = 0; y < size.height; ++y) {
        for (int x = 0; x < size.width; ++x) {
            const std::uint32_t argb = surface.pixel(x, y);
            rgba.insert(rgba.end(),
                { (unsigned char)(argb >> 16), (unsigned char)(argb >> 8), (unsigned char)argb,
                    (unsigned char)(argb >> 24) });
        }
    }
    return std::fwrite(rgba.data(), 1, rgba.size(), stdout) == rgba.size() ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::string_view(argv[1]) == "expectations") {
        printExpectations();
        return 0;
    }
    if (argc >= 5 && std::string_view(argv[1]) == "layer")
        return printLayer(argc, argv);
    std::fputs("usage: reference expectations | reference layer WIDTH HEIGHT RATIO BUTTON...\n", stderr);
    return 2;
}
