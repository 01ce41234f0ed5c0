#include "screen_expectations.h"

#include <sstream>

QRect buttonRect(Button button)
{
    for (const ExpectedButton& expected : kButtons) {
        if (expected.button == button)
            return expected.rect;
    }
    return {};
}

std::vector<QRect> buttonFaces()
{
    std::vector<QRect> faces;
    for (const ExpectedButton& expected : kButtons)
        faces.push_back(expected.rect.adjusted(-3, -3, 3, 3));
    return faces;
}

Rgb colorAt(const QImage& image, QPoint point)
{
    if (!image.rect().contains(point))
        return { -1, -1, -1 };
    return Rgb::of(image.pixel(point));
}

testing::AssertionResult hasColorNear(const QImage& image, QPoint point, Rgb color, int tolerance)
{
    for (int dy = -tolerance; dy <= tolerance; ++dy) {
        for (int dx = -tolerance; dx <= tolerance; ++dx) {
            if (colorAt(image, point + QPoint(dx, dy)) == color)
                return testing::AssertionSuccess();
        }
    }
    testing::AssertionResult failure = testing::AssertionFailure();
    failure << "expected " << color << " within " << tolerance << " px of (" << point.x() << "," << point.y()
            << "), found";
    for (int dy = -tolerance; dy <= tolerance; ++dy) {
        for (int dx = -tolerance; dx <= tolerance; ++dx)
            failure << " " << colorAt(image, point + QPoint(dx, dy));
    }
    return failure;
}

int countColor(const QImage& image, const QRect& rect, Rgb color)
{
    int count = 0;
    const QRect inside = rect.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x)
            count += Rgb::of(image.pixel(x, y)) == color;
    }
    return count;
}

namespace {

bool isExcluded(QPoint point, const std::vector<QRect>& excluded)
{
    for (const QRect& rect : excluded) {
        if (rect.contains(point))
            return true;
    }
    return false;
}

testing::AssertionResult compare(
    const QImage& expected, const QImage& actual, const QRect& area, const std::vector<QRect>& excluded)
{
    if (expected.size() != actual.size()) {
        return testing::AssertionFailure() << "sizes differ: " << expected.width() << "x" << expected.height()
                                           << " and " << actual.width() << "x" << actual.height();
    }
    int differing = 0;
    std::ostringstream first;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (isExcluded({ x, y }, excluded) || expected.pixel(x, y) == actual.pixel(x, y))
                continue;
            if (++differing <= 5) {
                first << " (" << x << "," << y << ") " << Rgb::of(expected.pixel(x, y)) << " became "
                      << Rgb::of(actual.pixel(x, y));
            }
        }
    }
    if (differing == 0)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << differing << " pixels differ, first:" << first.str();
}

} // namespace

testing::AssertionResult sameOutside(const QImage& expected, const QImage& actual, const std::vector<QRect>& excluded)
{
    return compare(expected, actual, expected.rect(), excluded);
}

testing::AssertionResult sameInside(const QImage& expected, const QImage& actual, const QRect& rect)
{
    return compare(expected, actual, rect.intersected(expected.rect()), {});
}

testing::AssertionResult crossesOutline(
    const QImage& image, QPoint from, QPoint step, int pixels, int firstBlueEarliest, int firstBlueLatest)
{
    std::vector<Rgb> walk;
    for (int i = 0; i < pixels; ++i)
        walk.push_back(colorAt(image, from + step * i));
    auto describe = [&] {
        std::ostringstream text;
        text << "walking from (" << from.x() << "," << from.y() << ") by (" << step.x() << "," << step.y() << "):";
        for (const Rgb color : walk)
            text << " " << color;
        return text.str();
    };
    std::size_t i = 0;
    while (i < walk.size() && walk[i] == colors::kDarkGreen)
        ++i;
    const int firstBlue = int(i);
    if (firstBlue == 0)
        return testing::AssertionFailure() << "no dark-green margin; " << describe();
    while (i < walk.size() && walk[i] == colors::kBlue)
        ++i;
    const int blueCount = int(i) - firstBlue;
    if (blueCount != kOutlinePixels)
        return testing::AssertionFailure() << blueCount << " blue pixels, not " << kOutlinePixels << "; " << describe();
    if (firstBlue < firstBlueEarliest || firstBlue > firstBlueLatest) {
        return testing::AssertionFailure() << "outline starts at step " << firstBlue << ", not within "
                                           << firstBlueEarliest << "-" << firstBlueLatest << "; " << describe();
    }
    if (i == walk.size())
        return testing::AssertionFailure() << "nothing inside the outline; " << describe();
    while (i < walk.size() && walk[i] == colors::kBlack)
        ++i;
    if (i != walk.size())
        return testing::AssertionFailure() << "not black inside the outline; " << describe();
    return testing::AssertionSuccess();
}
