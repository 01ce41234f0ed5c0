// What the page's test holds the page to, from this side of the browser:
//   reference expectations          the form's expected layout and the
//                                   pictures' points, as JSON
//   reference layer W H RATIO B...  the native core's layer of W x H device
//                                   pixels after the buttons B are pressed,
//                                   as RGBA bytes on standard output

#include "expectations.h"
#include "form1_handlers.h"
#include "surface.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct Css {
    char text[24];
};
Css css(Rgb color)
{
    Css out;
    std::snprintf(out.text, sizeof out.text, "rgb(%d, %d, %d)", color.red, color.green, color.blue);
    return out;
}

// Each control as the page's test reads it from the page: CSS pixels and
// computed colours.
void printControl(const char* name, TwipBox box)
{
    std::printf("{\"name\":\"%s\",\"rect\":{\"left\":%d,\"top\":%d,\"width\":%d,\"height\":%d}", name,
        pixelFromTwips(box.left), pixelFromTwips(box.top), pixelFromTwips(box.width), pixelFromTwips(box.height));
}

void printExpectations()
{
    using namespace layout;
    std::printf("{\"points\":{\"CmdGsls\":%d,\"CmdJgdd\":%d},", points::kMountainsAndWater, points::kGoldenAvenue);
    // The client area the whole form needs, in CSS pixels.
    std::printf("\"runTimeErrorTitle\":\"%s\",\"needed\":{\"width\":%.4f,\"height\":%.4f},",
        layout::kRunTimeErrorTitle, kNeededWidth / 15.0, kNeededHeight / 15.0);
    std::printf("\"form\":{\"caption\":\"%s\",\"background\":\"%s\",\"panel\":", kCaption, css(kBackground).text);
    printControl("Shape1", kPanel);
    std::printf(",\"outline\":\"%dpx %s\"},\"labels\":[", kOutlinePixels, css(colors::kBlue).text);
    for (const Label& label : kLabels) {
        std::printf(&label == kLabels ? "" : ",");
        printControl(label.name, label.rect);
        std::printf(",\"text\":\"%s\",\"color\":\"%s\",\"face\":\"%s\",\"fontPixels\":%d}", label.text,
            css(label.color).text, kLabelFace, label.fontPixels);
    }
    std::printf("],\"buttons\":[");
    for (const Button& button : kButtons) {
        std::printf(&button == kButtons ? "" : ",");
        printControl(button.name, button.rect);
        std::printf(",\"text\":\"%s\"}", button.caption);
    }
    std::printf("]}}\n");
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
