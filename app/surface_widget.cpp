#include "surface_widget.h"

#include <QEvent>
#include <QExposeEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <QWindow>

SurfaceWidget::SurfaceWidget(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    m_surface.setPresenter(this);
}

void SurfaceWidget::matchLayerToWidget()
{
    const double ratio = devicePixelRatioF();
    if (m_surface.follow(Surface::layerSizeFor(width(), height(), ratio), ratio) == LayerChange::Shrunk)
        m_shrunkTo = QRect(QPoint(0, 0), size());
}

const QImage& SurfaceWidget::layer()
{
    const PixelSize size = m_surface.size();
    const auto* pixels = reinterpret_cast<const uchar*>(m_surface.pixels());
    if (m_layer.constBits() != pixels || m_layer.width() != size.width || m_layer.height() != size.height
        || m_layer.devicePixelRatio() != m_surface.devicePixelRatio()) {
        // The const form of the constructor only reads the words: the image
        // never detaches into a copy of its own.
        m_layer
            = QImage(pixels, size.width, size.height, qsizetype(size.width) * 4, QImage::Format_ARGB32_Premultiplied);
        m_layer.setDevicePixelRatio(m_surface.devicePixelRatio());
    }
    return m_layer;
}

QRect SurfaceWidget::deviceRectFromLogical(const QRect& rect) const
{
    const double ratio = m_surface.devicePixelRatio();
    const QRectF device(rect.x() * ratio, rect.y() * ratio, rect.width() * ratio, rect.height() * ratio);
    return device.toAlignedRect();
}

void SurfaceWidget::present(std::span<const PixelRect> deviceRects)
{
    const double ratio = m_surface.devicePixelRatio();
    QRegion region;
    for (const PixelRect& rect : deviceRects)
        region
            += QRectF(rect.left / ratio, rect.top / ratio, rect.width() / ratio, rect.height() / ratio).toAlignedRect();
    repaint(region);
}

void SurfaceWidget::dropPainting(const QRegion& region)
{
    for (const QRect& rect : region) {
        const QRect device = deviceRectFromLogical(rect);
        m_surface.erase({ device.left(), device.top(), device.right(), device.bottom() });
    }
    update(region);
}

bool SurfaceWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Expose && watched == window()->windowHandle()) {
        // The exposed region is the only word of which part the window
        // system lost; Qt would otherwise refill it from its backing store,
        // which still holds the painting.
        QT_WARNING_PUSH
        QT_WARNING_DISABLE_DEPRECATED
        const QRegion exposed = static_cast<QExposeEvent*>(event)->region();
        QT_WARNING_POP
        // A window made smaller loses nothing that stays visible, yet the
        // toolkit follows the shrink with an expose of the whole window;
        // that one expose is not the window system's loss. At a fractional
        // density it may reach a rounded pixel past the window. A window
        // that was hidden has lost everything, and where no expose followed
        // the shrink, the mark ends with the window hidden.
        const QRegion here = exposed.translated(-mapTo(window(), QPoint(0, 0)));
        const bool followsShrink
            = m_windowShown && !m_shrunkTo.isNull() && QRegion(m_shrunkTo).subtracted(here).isEmpty();
        m_shrunkTo = QRect();
        m_windowShown = !exposed.isEmpty();
        if (!followsShrink)
            dropPainting(here);
    }
    return QWidget::eventFilter(watched, event);
}

void SurfaceWidget::paintEvent(QPaintEvent* event)
{
    matchLayerToWidget();
    QPainter painter(this);
    // Rectangle by rectangle: a frame's region may be four thin edges of a
    // box around the whole panel.
    for (const QRect& target : event->region())
        painter.drawImage(target, layer(), deviceRectFromLogical(target));
}

void SurfaceWidget::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    matchLayerToWidget();
}

void SurfaceWidget::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (QWindow* handle = window()->windowHandle()) {
        handle->installEventFilter(this);
        m_windowShown = handle->isExposed();
    }
    matchLayerToWidget();
}
