// What the page's test holds the page to, from this side of the browser:
//   reference expectations          the form's expected layout, as JSON
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

std::string box(TwipBox rect)
{
    return "{\"left\":" + std::to_string(pixelFromTwips(rect.left)) + ",\"top\":"
        + std::to_string(pixelFromTwips(rect.top)) + ",\"width\":" + std::to_string(pixelFromTwips(rect.width))
        + ",\"height\":" + std::to_string(pixelFromTwips(rect.height)) + "}";
}

std::string rgb(Rgb color)
{
    return "\"rgb(" + std::to_string(color.red) + ", " + std::to_string(color.green) + ", " + std::to_string(color.blue)
        + ")\"";
}

void printExpectations()
{
    using namespace layout;
    std::string json = "{\"caption\":\"" + std::string(kCaption) + "\",\"background\":" + rgb(kBackground);
    json += ",\"runTimeErrorTitle\":\"" + std::string(layout::kRunTimeErrorTitle) + "\"";
    json += ",\"panel\":" + box(kPanel) + ",\"outlinePixels\":" + std::to_string(kOutlinePixels);
    json += ",\"outline\":" + rgb(colors::kBlue) + ",\"labelFace\":\"" + std::string(kLabelFace) + "\",\"labels\":[";
    for (const Label& label : kLabels) {
        json += std::string(&label == kLabels ? "" : ",") + "{\"name\":\"" + label.name + "\",\"text\":\"" + label.text
            + "\",\"rect\":" + box(label.rect) + ",\"color\":" + rgb(label.color)
            + ",\"fontPixels\":" + std::to_string(label.fontPixels) + "}";
    }
    json += "],\"buttons\":[";
    for (const Button& button : kButtons) {
        json += std::string(&button == kButtons ? "" : ",") + "{\"name\":\"" + button.name + "\",\"caption\":\""
            + button.caption + "\",\"rect\":" + box(button.rect) + "}";
    }
    std::puts((json + "]}").c_str());
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
