#include "failing_checkpoint.h"
#include "form1.h"
#include "palette.h"
#include "screen_checks.h"
#include "surface.h"

#include <QApplication>
#include <QExposeEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

constexpr QSize kMaximized { 1280, 1024 };

class Form1Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        form.setErrorReporter([this](const QString&, const QString& message) { errors << message; });
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

QColor qColor(Rgb rgb) { return QColor(rgb.red, rgb.green, rgb.blue); }

TEST_F(Form1Test, opensSmallWithItsCaptionAndNotMaximized)
{
    EXPECT_EQ(form.windowTitle(), QString::fromUtf8(layout::kCaption));
    const QSize start(pixelFromTwips(layout::kStartWidth), pixelFromTwips(layout::kStartHeight));
    EXPECT_EQ(form.size(), start);
    EXPECT_FALSE(form.isMaximized());
    EXPECT_EQ(form.surface().size(), (PixelSize { start.width(), start.height() }));
}

TEST_F(Form1Test, controlsStandAtTheirTwipsInPixels)
{
    struct Placed {
        const char* name;
        TwipBox rect;
    };
    std::vector<Placed> controls { { "Shape1", layout::kPanel } };
    for (const layout::Label& label : layout::kLabels)
        controls.push_back({ label.name, label.rect });
    for (const layout::Button& button : layout::kButtons)
        controls.push_back({ button.name, button.rect });
    for (const Placed& control : controls) {
        QWidget* widget = form.control(control.name);
        ASSERT_NE(widget, nullptr) << control.name;
        EXPECT_EQ(widget->geometry(), pixelRect(control.rect)) << control.name;
        EXPECT_EQ(widget->objectName(), QString::fromUtf8(control.name));
    }
}

TEST_F(Form1Test, labelsShowTheirTextsInBoldKaiAtTheirSizes)
{
    for (const layout::Label& expected : layout::kLabels) {
        auto* label = qobject_cast<QLabel*>(form.control(expected.name));
        ASSERT_NE(label, nullptr) << expected.name;
        EXPECT_EQ(label->text(), QString::fromUtf8(expected.text));
        EXPECT_EQ(label->palette().color(QPalette::WindowText), qColor(expected.color));
        EXPECT_EQ(label->palette().color(QPalette::Window), qColor(colors::kBlack));
        EXPECT_TRUE(label->autoFillBackground());
        EXPECT_EQ(label->font().pixelSize(), expected.fontPixels);
        EXPECT_EQ(label->font().weight(), QFont::Bold);
        EXPECT_EQ(label->font().families().value(0), QString::fromUtf8(layout::kLabelFace));
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
    // The first in tab order lies outside the 312 x 213 window and has the
    // focus all the same; Tab walks the rest and comes back to it.
    EXPECT_EQ(QApplication::focusWidget(), form.control(layout::kButtons[0].name));
    for (std::size_t i = 1; i <= std::size(layout::kButtons); ++i) {
        const char* next = layout::kButtons[i % std::size(layout::kButtons)].name;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), form.control(next)) << next;
    }
    for (const layout::Button& expected : layout::kButtons) {
        EXPECT_EQ(button(expected.name)->text(), QString::fromUtf8(expected.caption));
        EXPECT_FALSE(button(expected.name)->isDefault()) << expected.name;
        EXPECT_FALSE(button(expected.name)->autoDefault()) << expected.name;
    }
}

TEST_F(Form1Test, spaceRightAfterStartRunsTheGoldenAvenue)
{
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    // Enlarging the window moves no focus; it only lets the picture show.
    maximize();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    expectGoldenAvenue(form.grab().toImage());
    EXPECT_EQ(colorAt(form.grab().toImage(), pixelPoint(40, 2000)), layout::kBackground) << "no mountains' frame";
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
    expectMountainsAndWater(painted);
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

// The window's own colours stay its own: a button looks exactly as a push
// button of that size does in a window with the application's palette.
TEST_F(Form1Test, buttonsKeepThePlatformLook)
{
    maximize();
    QWidget plainWindow;
    QPushButton reference(&plainWindow);
    reference.setAutoDefault(false);
    reference.setFocusPolicy(Qt::NoFocus);
    plainWindow.resize(kMaximized);
    plainWindow.show();
    // CmdJgdd holds the focus, which changes its face.
    for (std::string_view name : { "CmdGsls", "CmdCls", "CmdExit" }) {
        reference.setText(button(name)->text());
        reference.setGeometry(button(name)->geometry());
        EXPECT_EQ(button(name)->grab().toImage(), reference.grab().toImage()) << name;
    }
}

TEST_F(Form1Test, shrinkingKeepsWhatStaysVisibleAndEnlargingLosesThePainting)
{
    maximize();
    button("CmdGsls")->click();
    ASSERT_TRUE(layerPainted(500, 406));
    form.resize(700, 500);
    QApplication::processEvents();
    EXPECT_TRUE(layerPainted(500, 406));
    EXPECT_EQ(form.surface().size(), (PixelSize { 700, 500 }));
    form.resize(kMaximized + QSize(10, 10));
    QApplication::processEvents();
    EXPECT_FALSE(layerPainted(500, 406));
    EXPECT_EQ(form.surface().size(), (PixelSize { kMaximized.width() + 10, kMaximized.height() + 10 }));
}

struct InjectedFault {
    const char* name;
    const char* button;
    std::int64_t failingOperation;
    int penWidthAfter; // as last set before the failure; the window starts at 1
};

void PrintTo(const InjectedFault& fault, std::ostream* stream) { *stream << fault.name; }

class Form1Fault : public Form1Test, public ::testing::WithParamInterface<InjectedFault> { };

TEST_P(Form1Fault, failedOperationStopsTheHandlerShowsTheErrorAndTheNextClickPaints)
{
    maximize();
    const InjectedFault& fault = GetParam();
    FailingCheckpoint failing(fault.failingOperation);
    form.surface().setCheckpoint(&failing);
    button(fault.button)->click();
    ASSERT_EQ(errors.size(), 1);
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

// Without a reporter of the test's own, a run-time error shows in a modal
// message box once the handler has stopped.
TEST(Form1Errors, runTimeErrorShowsInAMessageBox)
{
    Form1 form;
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    FailingCheckpoint failing(1);
    form.surface().setCheckpoint(&failing);
    QString title;
    QString shown;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            title = box->windowTitle();
            shown = box->text();
            box->done(0);
        }
    });
    poll.start(10);
    static_cast<QPushButton*>(form.control("CmdGsls"))->click();
    QApplication::processEvents();
    // Like every text of the program, in Simplified Chinese: characters of
    // GB2312, which the encoding carries there and back unchanged.
    EXPECT_EQ(title, QString::fromUtf8(layout::kRunTimeErrorTitle));
    ASSERT_FALSE(shown.isEmpty());
    QStringEncoder toGb2312("GB2312");
    QStringDecoder fromGb2312("GB2312");
    ASSERT_TRUE(toGb2312.isValid());
    EXPECT_EQ(QString(fromGb2312(QByteArray(toGb2312(shown)))), shown) << shown.toStdString();
    EXPECT_FALSE(shown.contains(QRegularExpression("[A-Za-z]"))) << shown.toStdString();
}

TEST_F(Form1Test, exitHidesTheWindowAndLaterClicksDoNothing)
{
    maximize();
    // The click comes from within the application's loop, as a user's does,
    // so that the loop ends with the program's exit code.
    QTimer::singleShot(0, [this] { button("CmdExit")->click(); });
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_TRUE(form.isHidden());
    EXPECT_TRUE(form.isEnding());
    button("CmdGsls")->click();
    EXPECT_EQ(form.surface().drawWidth(), 1);
}
