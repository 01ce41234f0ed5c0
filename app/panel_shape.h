#pragma once

#include "twips.h"

#include <QWidget>

// An opaque rectangle with an outline drawn inside its edge. The outline's
// width is in device pixels, like a pen's.
class PanelShape : public QWidget {
public:
    PanelShape(Color fill, Color outline, int outlinePixels, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Color m_fill;
    Color m_outline;
    int m_outlinePixels = 0;
};
