#include "form1.h"

#include "form1_handlers.h"
#include "form1_layout.h"
#include "panel_shape.h"
#include "qt_values.h"
#include "surface_widget.h"
#include "window_icon.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

namespace {

QRect logicalRect(TwipRect rect)
{
    return QRect(logicalPixelsFromTwips(rect.left), logicalPixelsFromTwips(rect.top),
        logicalPixelsFromTwips(rect.width), logicalPixelsFromTwips(rect.height));
}

QFont labelFont(double points)
{
    const WindowLayout& window = form1Window();
    QFont font;
    QStringList faces;
    for (std::u16string_view face : window.labelFontFaces)
        faces << toQString(face);
    font.setFamilies(faces);
    font.setWeight(QFont::Weight(window.labelFontWeight));
    // A point is 20 twips.
    font.setPixelSize(logicalPixelsFromTwips(int(points * 20)));
    return font;
}

QWidget* makeControl(const ControlLayout& layout, QWidget* parent)
{
    switch (layout.kind) {
    case ControlKind::Shape:
        return new PanelShape(layout.look.background, layout.look.foreground, layout.look.outlinePixels, parent);
    case ControlKind::Label: {
        auto* label = new QLabel(toQString(layout.text), parent);
        label->setFont(labelFont(layout.look.fontPoints));
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(false);
        label->setAutoFillBackground(true);
        QPalette palette = label->palette();
        palette.setColor(QPalette::Window, toQColor(layout.look.background));
        palette.setColor(QPalette::WindowText, toQColor(layout.look.foreground));
        label->setPalette(palette);
        return label;
    }
    case ControlKind::CommandButton: {
        auto* button = new QPushButton(toQString(layout.text), parent);
        button->setAutoDefault(false);
        button->setDefault(false);
        return button;
    }
    }
    return nullptr;
}

// Some of the toolkit's start-up code leaves the upper halves of the wide
// vector registers in use. Until they are cleared, every switch between the
// pictures' arithmetic and the maths library's wide code stalls: a first
// picture measured up to 80% slower. Clearing them costs nothing.
void clearUpperVectorRegisters()
{
#if defined(__x86_64__)
    if (__builtin_cpu_supports("avx"))
        asm volatile("vzeroupper");
#endif
}

} // namespace

Form1::Form1(QWidget* parent)
    : QWidget(parent)
{
    const WindowLayout& window = form1Window();
    setWindowTitle(toQString(window.caption));
    setWindowIcon(windowIcon());
    // The background is painted rather than set in the palette: a palette
    // reaches every child, and the style would ring the buttons in a shade of
    // dark green instead of giving them the platform's own look.
    setAttribute(Qt::WA_OpaquePaintEvent);
    buildControls();
    resize(logicalPixelsFromTwips(window.clientWidth), logicalPixelsFromTwips(window.clientHeight));

    m_reportError
        = [this](const QString& title, const QString& message) { QMessageBox::critical(this, title, message); };

    for (QScreen* screen : QGuiApplication::screens())
        followScreen(screen);
    connect(qApp, &QGuiApplication::screenAdded, this, &Form1::followScreen);
    connect(qApp, &QGuiApplication::screenRemoved, this, &Form1::keepWithinDesktop);
    keepWithinDesktop();
}

void Form1::followScreen(QScreen* screen)
{
    connect(screen, &QScreen::virtualGeometryChanged, this, &Form1::keepWithinDesktop);
    keepWithinDesktop();
}

// Any client may ask for any size, up to 32767 pixels a side on X11, and the
// toolkit keeps a backing store as large as the window. Nothing beyond the
// screens can be seen, so the client area is held within them. The bound is
// the screens themselves, not the screens less a frame: a frame costs a few
// pixels and no memory, and it changes as a window manager maximizes or
// restores the window, so a bound that followed it would race the maximize
// and leave a maximized window short of the work area.
void Form1::keepWithinDesktop()
{
    if (const QScreen* desktop = screen())
        setMaximumSize(desktop->virtualGeometry().size().expandedTo(QSize(1, 1)));
}

void Form1::buildControls()
{
    std::vector<std::pair<int, QWidget*>> tabOrder;
    for (const ControlLayout& layout : form1Controls()) {
        QWidget* control = makeControl(layout, this);
        control->setObjectName(toQString(layout.name));
        control->setGeometry(logicalRect(layout.rect));
        m_controls.emplace_back(layout.name, control);
        if (layout.kind == ControlKind::CommandButton) {
            wire(static_cast<QPushButton*>(control), layout.name);
            tabOrder.emplace_back(layout.tabIndex, control);
        }
    }

    // The painting lies over the panel and labels and under the buttons.
    m_surfaceWidget = new SurfaceWidget(this);
    m_surfaceWidget->setGeometry(rect());
    m_surfaceWidget->raise();
    for (const auto& [tabIndex, button] : tabOrder)
        button->raise();

    std::sort(tabOrder.begin(), tabOrder.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 1; i < tabOrder.size(); ++i)
        QWidget::setTabOrder(tabOrder[i - 1].second, tabOrder[i].second);
    // The first in tab order has the focus from the start, visible or not.
    if (!tabOrder.empty())
        tabOrder.front().second->setFocus(Qt::OtherFocusReason);
}

void Form1::wire(QPushButton* button, std::string_view name)
{
    if (endsProgram(name))
        connect(button, &QPushButton::clicked, this, &Form1::CmdExit_Click);
    else
        connect(button, &QPushButton::clicked, this, [this, name] { runHandler(name); });
}

Form1::~Form1() = default;

Surface& Form1::surface() { return m_surfaceWidget->surface(); }

void Form1::setPace(std::int64_t pointsPerSecond) { m_pacing = std::make_unique<PacingCheckpoint>(pointsPerSecond); }

QWidget* Form1::control(std::string_view name) const
{
    for (const auto& [controlName, control] : m_controls) {
        if (controlName == name)
            return control;
    }
    return nullptr;
}

void Form1::runHandler(std::string_view button)
{
    // Once the program is ending, clicks still queued behind the exit do
    // nothing.
    if (m_ending)
        return;
    m_surfaceWidget->matchLayerToWidget();
    clearUpperVectorRegisters();
    const std::optional<std::string> failure = runClickHandler(button, surface(), m_pacing.get());
    if (failure && m_reportError)
        m_reportError(toQString(kRunTimeErrorTitle), QString::fromStdString(*failure));
}

void Form1::CmdCls_Click() { runHandler("CmdCls"); }

void Form1::CmdExit_Click()
{
    m_ending = true;
    hide();
    QCoreApplication::exit(0);
}

void Form1::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), toQColor(form1Window().background));
}

void Form1::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_surfaceWidget->setGeometry(rect());
}
