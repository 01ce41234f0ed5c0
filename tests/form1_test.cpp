#include "failing_checkpoint.h"
#include "form1.h"
#include "palette.h"
#include "surface.h"

#include <QApplication>
#include <QExposeEvent>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

constexpr QSize kMaximized { 1280, 1024 };

class Form1Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        form.setErrorReporter([this](const QString& message) { errors << message; });
        form.show();
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    }

    void maximize()
    {
        form.resize(kMaximized);
        QApplication::processEvents();
    }

    QPushButton* button(std::string_view name) { return static_cast<QPushButton*>(form.control(name)); }

    bool layerPainted(int x, int y) { return form.surface().pixel(x, y) != 0; }

    // What the window shows, with the buttons blanked: clicking one moves the
    // focus, and its face with it.
    QImage shownOutsideButtons()
    {
        QImage image = form.grab().toImage().convertToFormat(QImage::Format_RGB32);
        for (std::string_view name : { "CmdGsls", "CmdJgdd", "CmdCls", "CmdExit" }) {
            for (int y = 0; y < 25; ++y)
                for (int x = 0; x < 73; ++x)
                    image.setPixel(form.control(name)->geometry().topLeft() + QPoint(x, y), 0);
        }
        return image;
    }

    Form1 form;
    QStringList errors;
};

} // namespace

TEST_F(Form1Test, opensSmallWithItsCaptionAndNotMaximized)
{
    EXPECT_EQ(form.windowTitle(), QString::fromUtf8("图形程序设计 Morvane 2006.11."));
    EXPECT_EQ(form.size(), QSize(312, 213));
    EXPECT_FALSE(form.isMaximized());
    EXPECT_EQ(form.palette().color(QPalette::Window), QColor(0, 128, 0));
    EXPECT_EQ(form.surface().size(), (PixelSize { 312, 213 }));
}

struct ControlGeometry {
    const char* name;
    QRect pixels;
};

class Form1Geometry : public Form1Test, public ::testing::WithParamInterface<ControlGeometry> { };

TEST_P(Form1Geometry, controlStandsAtItsTwipsInPixels)
{
    QWidget* control = form.control(GetParam().name);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->geometry(), GetParam().pixels);
    EXPECT_EQ(control->objectName(), QString::fromUtf8(GetParam().name));
}

// Fifteen twips to a pixel.
INSTANTIATE_TEST_SUITE_P(Form1, Form1Geometry,
    ::testing::Values(ControlGeometry { "Shape1", QRect(8, 8, 785, 537) },
        ControlGeometry { "Label1", QRect(72, 368, 225, 33) }, ControlGeometry { "Label2", QRect(128, 416, 121, 25) },
        ControlGeometry { "Label3", QRect(136, 448, 97, 25) }, ControlGeometry { "CmdJgdd", QRect(528, 496, 65, 25) },
        ControlGeometry { "CmdGsls", QRect(440, 496, 73, 25) }, ControlGeometry { "CmdCls", QRect(608, 496, 65, 25) },
        ControlGeometry { "CmdExit", QRect(688, 496, 65, 25) }),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Form1Test, labelsShowTheirTextsInBoldKaiAtTheirSizes)
{
    struct Expected {
        const char* name;
        const char* text;
        QColor color;
        int pixels;
    };
    for (const Expected& expected : { Expected { "Label1", "图形程序设计", QColor(255, 255, 0), 35 },
             Expected { "Label2", "Morvane", QColor(0, 255, 0), 21 },
             Expected { "Label3", "2006.11.", QColor(0, 192, 192), 21 } }) {
        auto* label = qobject_cast<QLabel*>(form.control(expected.name));
        ASSERT_NE(label, nullptr) << expected.name;
        EXPECT_EQ(label->text(), QString::fromUtf8(expected.text));
        EXPECT_EQ(label->palette().color(QPalette::WindowText), expected.color);
        EXPECT_EQ(label->palette().color(QPalette::Window), QColor(0, 0, 0));
        EXPECT_TRUE(label->autoFillBackground());
        EXPECT_EQ(label->font().pixelSize(), expected.pixels);
        EXPECT_EQ(label->font().weight(), QFont::Bold);
        EXPECT_EQ(label->font().families().value(0), QString::fromUtf8("楷体_GB2312"));
        EXPECT_EQ(label->alignment(), Qt::AlignLeft | Qt::AlignTop);
        EXPECT_EQ(label->focusPolicy(), Qt::NoFocus);
    }
}

TEST_F(Form1Test, panelIsBlackInsideABlueOutline)
{
    maximize();
    const QImage shown = form.grab().toImage();
    EXPECT_EQ(shown.pixelColor(4, 4), QColor(0, 128, 0));
    EXPECT_EQ(shown.pixelColor(8, 300), QColor(0, 0, 255));
    EXPECT_EQ(shown.pixelColor(10, 300), QColor(0, 0, 255));
    EXPECT_EQ(shown.pixelColor(11, 300), QColor(0, 0, 0));
    EXPECT_EQ(shown.pixelColor(400, 544), QColor(0, 0, 255));
    EXPECT_EQ(shown.pixelColor(400, 545), QColor(0, 128, 0));
    EXPECT_EQ(shown.pixelColor(900, 300), QColor(0, 128, 0));
}

TEST_F(Form1Test, buttonsTakeTheFocusInTabOrderStartingOffScreen)
{
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    // 金光大道 lies outside the 312 x 213 window and has the focus all the same.
    EXPECT_EQ(QApplication::focusWidget(), form.control("CmdJgdd"));
    for (std::string_view next : { "CmdGsls", "CmdCls", "CmdExit", "CmdJgdd" }) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), form.control(next)) << next;
    }
    for (std::string_view name : { "CmdGsls", "CmdJgdd", "CmdCls", "CmdExit" }) {
        EXPECT_FALSE(button(name)->isDefault()) << name;
        EXPECT_FALSE(button(name)->autoDefault()) << name;
        EXPECT_FALSE(button(name)->text().contains('&')) << name;
    }
}

TEST_F(Form1Test, spaceRightAfterStartRunsTheGoldenAvenue)
{
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    ASSERT_EQ(form.surface().drawWidth(), 1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    // Every point falls outside the small window, but the routine ran: it
    // leaves the pen at 2.
    EXPECT_EQ(form.surface().drawWidth(), 2);
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(Form1Test, paintingNeverShowsOverAButton)
{
    maximize();
    ASSERT_EQ(form.surface().DrawWidth(200), SurfaceStatus::Ok);
    const QRect gsls = form.control("CmdGsls")->geometry();
    const QPoint centre = gsls.center();
    ASSERT_EQ(form.surface().PSet({ centre.x() * 15.0f, centre.y() * 15.0f }, QBColor(12)), SurfaceStatus::Ok);
    form.surface().present();
    const QImage shown = form.grab().toImage();
    EXPECT_NE(shown.pixelColor(centre), QColor(255, 0, 0));
    EXPECT_EQ(shown.pixelColor(gsls.left() - 3, centre.y()), QColor(255, 0, 0));
    EXPECT_EQ(shown.pixelColor(centre.x(), gsls.top() - 3), QColor(255, 0, 0));
}

TEST_F(Form1Test, mountainsPaintOverThePanelAndClearLeavesTheCleanWindow)
{
    maximize();
    const QImage clean = shownOutsideButtons();
    button("CmdGsls")->click();
    EXPECT_EQ(form.surface().drawWidth(), 2);
    const QImage painted = shownOutsideButtons();
    // The frame in the margin and the last water colour on the top run.
    EXPECT_EQ(painted.pixelColor(1, 300), QColor(255, 255, 0));
    EXPECT_EQ(painted.pixelColor(500, 406), QColor(0, 255, 0));
    EXPECT_NE(painted, clean);
    button("CmdCls")->click();
    EXPECT_EQ(shownOutsideButtons(), clean);
    EXPECT_EQ(form.surface().drawWidth(), 2);
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(Form1Test, clearOnACleanWindowChangesNothing)
{
    maximize();
    const QImage clean = shownOutsideButtons();
    button("CmdCls")->click();
    EXPECT_EQ(shownOutsideButtons(), clean);
}

TEST_F(Form1Test, exposedRegionLosesItsPaintingAndTheRestKeepsIt)
{
    maximize();
    button("CmdGsls")->click();
    ASSERT_TRUE(layerPainted(1, 300));
    ASSERT_TRUE(layerPainted(500, 406));
    QExposeEvent expose(QRegion(0, 0, 100, 600));
    QApplication::sendEvent(form.windowHandle(), &expose);
    QApplication::processEvents();
    EXPECT_FALSE(layerPainted(1, 300));
    EXPECT_TRUE(layerPainted(500, 406));
    const QImage shown = form.grab().toImage();
    EXPECT_EQ(shown.pixelColor(1, 300), QColor(0, 128, 0));
    EXPECT_EQ(shown.pixelColor(9, 300), QColor(0, 0, 255));
}

TEST_F(Form1Test, enlargingTheWindowLosesThePainting)
{
    maximize();
    button("CmdGsls")->click();
    ASSERT_TRUE(layerPainted(500, 406));
    form.resize(kMaximized + QSize(10, 10));
    QApplication::processEvents();
    EXPECT_FALSE(layerPainted(500, 406));
    EXPECT_EQ(form.surface().size(), (PixelSize { 1290, 1034 }));
}

struct InjectedFault {
    const char* name;
    const char* button;
    std::int64_t failingOperation;
    int penWidthAfter; // as last set before the failure; the window starts at 1
};

class Form1Fault : public Form1Test, public ::testing::WithParamInterface<InjectedFault> { };

TEST_P(Form1Fault, failedOperationStopsTheHandlerShowsTheErrorAndTheNextClickPaints)
{
    maximize();
    const InjectedFault& fault = GetParam();
    FailingCheckpoint failing(fault.failingOperation);
    form.surface().setCheckpoint(&failing);
    button(fault.button)->click();
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith("Run-time error")) << errors[0].toStdString();
    EXPECT_EQ(form.surface().drawWidth(), fault.penWidthAfter);
    if (fault.failingOperation > 2 && std::string_view(fault.button) == "CmdGsls") {
        EXPECT_TRUE(layerPainted(1, 300)) << "the frame painted before the failure stays";
    }

    button(fault.button)->click();
    EXPECT_EQ(errors.size(), 1);
    EXPECT_EQ(form.surface().drawWidth(), 2);
}

// The mountains take 1,000,004 operations, the golden avenue 2,547,442.
INSTANTIATE_TEST_SUITE_P(Form1, Form1Fault,
    ::testing::Values(InjectedFault { "mountainsFirst", "CmdGsls", 1, 1 },
        InjectedFault { "mountainsBox", "CmdGsls", 2, 2 }, InjectedFault { "mountainsMiddle", "CmdGsls", 150000, 3 },
        InjectedFault { "waterMiddle", "CmdGsls", 500000, 2 }, InjectedFault { "mountainsLast", "CmdGsls", 1000004, 2 },
        InjectedFault { "avenueFirst", "CmdJgdd", 1, 1 }, InjectedFault { "avenueCore", "CmdJgdd", 4, 66 },
        InjectedFault { "avenueRays", "CmdJgdd", 1000000, 1 }, InjectedFault { "avenueLast", "CmdJgdd", 2547442, 2 }),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Form1Test, failedClearKeepsThePaintingAndSaysSo)
{
    maximize();
    button("CmdGsls")->click();
    FailingCheckpoint failing(1);
    form.surface().setCheckpoint(&failing);
    button("CmdCls")->click();
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(layerPainted(500, 406));
}

TEST_F(Form1Test, exitHidesTheWindowAndLaterClicksDoNothing)
{
    maximize();
    button("CmdExit")->click();
    EXPECT_TRUE(form.isHidden());
    EXPECT_TRUE(form.isEnding());
    button("CmdGsls")->click();
    EXPECT_EQ(form.surface().drawWidth(), 1);
}
