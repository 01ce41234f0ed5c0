#pragma once

#include "surface.h"

#include <QImage>
#include <QWidget>

class QRegion;

// Shows a Surface's layer and keeps it the size of the widget in device
// pixels. It lets mouse events through to whatever lies beneath.
//
// The layer is not a saved copy of the window: wherever the window system
// has the window repainted, the painting there is dropped, so the window
// shows what lies under it again.
class SurfaceWidget : public QWidget, public Presenter {
public:
    explicit SurfaceWidget(QWidget* parent = nullptr);

    Surface& surface() { return m_surface; }
    const Surface& surface() const { return m_surface; }

    // Brings the layer in line with the widget's size and density. Made
    // smaller, it keeps what stays visible; enlarged or at a new density, it
    // loses the painting, as the window system repaints all of it.
    void matchLayerToWidget();

    // Repaints now, without the event loop, so painting shows while a
    // handler runs.
    void present(std::span<const PixelRect> deviceRects) override;

    // Drops the painting in a region the window system asks to be redrawn,
    // given in this widget's coordinates.
    void dropPainting(const QRegion& region);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QRect deviceRectFromLogical(const QRect& rect) const;
    const QImage& layer();

    Surface m_surface;
    // Wraps the surface's pixels without a copy; rebuilt when they move.
    QImage m_layer;
    // The widget's whole rectangle right after the layer shrank, until the
    // next expose.
    QRect m_shrunkTo;
    // Whether the last expose left the window shown.
    bool m_windowShown = false;
};
