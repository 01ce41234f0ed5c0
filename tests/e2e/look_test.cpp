#include "tuxing_fixture.h"

namespace {

using Look = MaximizedTuxingTest;

TEST_F(Look, panelHasThreePixelBlueOutlineInTheDarkGreenMargin)
{
    const QImage client = grabClient();
    const TwipBox panel = layout::kPanel;
    const int left = pixelFromTwips(panel.left);
    const int top = pixelFromTwips(panel.top);
    const int right = pixelFromTwips(panel.left + panel.width); // the first column past the panel
    const int bottom = pixelFromTwips(panel.top + panel.height);
    const int lastColumn = right - 1;
    const int lastRow = bottom - 1;

    EXPECT_EQ(countColor(client, QRect(0, 0, client.width(), top - 2), colors::kDarkGreen), client.width() * (top - 2));
    EXPECT_EQ(countColor(client, QRect(right + 2, 0, client.width(), client.height()), colors::kDarkGreen),
        (client.width() - right - 2) * client.height());
    EXPECT_EQ(countColor(client, QRect(0, bottom + 2, client.width(), client.height()), colors::kDarkGreen),
        client.width() * (client.height() - bottom - 2));

    // Inside its rectangle or centred on the edge: walking inward, the
    // outline's first pixel is the panel's edge pixel or up to two before it.
    constexpr int kWalk = 16;
    constexpr int kLead = 8;
    for (const int y : { 50, 200, 300, 450 }) {
        EXPECT_TRUE(crossesOutline(client, { 0, y }, { 1, 0 }, left + kWalk, left - 2, left)) << "left, row " << y;
        EXPECT_TRUE(crossesOutline(client, { lastColumn + kLead, y }, { -1, 0 }, kLead + kWalk, kLead - 2, kLead))
            << "right, row " << y;
    }
    for (const int x : { 50, 300, 500, 780 }) {
        EXPECT_TRUE(crossesOutline(client, { x, 0 }, { 0, 1 }, top + kWalk, top - 2, top)) << "top, column " << x;
        EXPECT_TRUE(crossesOutline(client, { x, lastRow + kLead }, { 0, -1 }, kLead + kWalk, kLead - 2, kLead))
            << "bottom, column " << x;
    }

    // Black everywhere inside the outline away from the labels and buttons.
    const QRect upperPanel(left + 5, top + 5, right - left - 10, pixelFromTwips(5400) - top - 5);
    EXPECT_EQ(countColor(client, upperPanel, colors::kBlack), upperPanel.width() * upperPanel.height());
}

TEST_F(Look, labelsShowTheirTextColorsInsideTheirRectangles)
{
    const QImage client = grabClient();
    for (const layout::Label& label : layout::kLabels) {
        SCOPED_TRACE(label.name);
        const QRect rect = pixelRect(label.rect);
        // Plenty of text pixels in the label's own colour...
        EXPECT_GE(countColor(client, rect, label.color), 40);
        // ...and none of them outside it, where the panel is black.
        const QRect around = rect.adjusted(-8, -8, 8, 8);
        EXPECT_EQ(countColor(client, around, label.color), countColor(client, rect, label.color));
        EXPECT_EQ(countColor(client, QRect(around.left(), around.top(), around.width(), 6), colors::kBlack),
            around.width() * 6);
        // No other label's colour leaks into this one.
        for (const layout::Label& other : layout::kLabels) {
            if (other.color != label.color) {
                EXPECT_EQ(countColor(client, rect, other.color), 0) << other.name;
            }
        }
    }
}

TEST_F(Look, buttonsStandAtTheirPlacesOverThePanel)
{
    const QImage client = grabClient();
    for (const layout::Button& expected : layout::kButtons) {
        SCOPED_TRACE(expected.caption);
        const QRect rect = pixelRect(expected.rect);
        const QRect face = rect.adjusted(2, 2, -2, -2);
        const int area = face.width() * face.height();
        EXPECT_LT(countColor(client, face, colors::kBlack), area / 10);
        // The panel shows right around each button.
        for (const QRect& strip : { QRect(rect.left() - 4, rect.top(), 2, rect.height()),
                 QRect(rect.right() + 3, rect.top(), 2, rect.height()),
                 QRect(rect.left(), rect.top() - 4, rect.width(), 2),
                 QRect(rect.left(), rect.bottom() + 3, rect.width(), 2) }) {
            EXPECT_EQ(countColor(client, strip, colors::kBlack), strip.width() * strip.height())
                << "strip at " << strip.x() << "," << strip.y();
        }
    }
}

} // namespace
