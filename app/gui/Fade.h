#pragma once
// Fade-length display and its two editors, which draw the fade as a ramp and take the length from the mouse.

#include <QFrame>
#include <QPair>

class Fade : public QFrame
{
    Q_OBJECT

public:
    explicit Fade(QWidget* parent = nullptr);

    float value() const { return m_fValue; }
    // Stores the value clamped to the range and repaints.
    void setValue(const float& value);
    // Stores the range; the value stays as it is until the next change.
    void setRange(const QPair<int, int>& range) { m_range = range; }
    QPair<int, int> range() const { return m_range; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

    int span() const;
    // Marker position for the current value, measured from the left edge; 0 for an empty range.
    int markerOffset() const;
    // Whole seconds under x measured from the left (fade-in) edge; false when the widget or range is empty.
    bool secondsAt(double x, int& seconds) const;

private:
    float m_fValue = 0.0f;
    QPair<int, int> m_range{0, 100};
};

// Fade-in editor: the ramp rises from the bottom-left corner to the marker.
class FadeIn : public Fade
{
    Q_OBJECT

public:
    explicit FadeIn(QWidget* parent = nullptr) : Fade(parent) {}

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void takeMouse(QMouseEvent* event);
};

// Fade-out editor: the ramp falls from the marker to the bottom-right corner.
class FadeOut : public Fade
{
    Q_OBJECT

public:
    explicit FadeOut(QWidget* parent = nullptr) : Fade(parent) {}

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void takeMouse(QMouseEvent* event);
};
