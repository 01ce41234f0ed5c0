#include "panel_shape.h"

#include "qt_values.h"

#include <QPainter>

PanelShape::PanelShape(Color fill, Color outline, int outlinePixels, QWidget* parent)
    : QWidget(parent)
    , m_fill(fill)
    , m_outline(outline)
    , m_outlinePixels(outlinePixels)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
}

void PanelShape::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const double inset = m_outlinePixels / devicePixelRatioF();
    const QRectF all = rect();
    painter.fillRect(all, toQColor(m_outline));
    painter.fillRect(all.adjusted(inset, inset, -inset, -inset), toQColor(m_fill));
}
