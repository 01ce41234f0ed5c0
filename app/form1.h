#pragma once

#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

class PacingCheckpoint;
class QPushButton;
class QScreen;
class Surface;
class SurfaceWidget;

// The program's only window, built from the layout tables.
class Form1 : public QWidget {
public:
    using ErrorReporter = std::function<void(const QString& title, const QString& message)>;

    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    Surface& surface();
    QWidget* control(std::string_view name) const;

    // By default a run-time error is shown in a modal message box once the
    // handler has stopped.
    void setErrorReporter(ErrorReporter reporter) { m_reportError = std::move(reporter); }

    // Each handler from the next click on paints at that many points per
    // second; the window presents as it grows, at the display's rate.
    void setPace(std::int64_t pointsPerSecond);

    void CmdCls_Click();
    void CmdExit_Click();

    bool isEnding() const { return m_ending; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildControls();
    void followScreen(QScreen* screen);
    void keepWithinDesktop();
    void wire(QPushButton* button, std::string_view name);
    void runHandler(std::string_view button);

    SurfaceWidget* m_surfaceWidget = nullptr;
    std::vector<std::pair<std::string_view, QWidget*>> m_controls;
    ErrorReporter m_reportError;
    std::unique_ptr<PacingCheckpoint> m_pacing;
    bool m_ending = false;
};
