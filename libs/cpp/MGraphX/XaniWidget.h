#pragma once
// Widget that plays a frame animation scaled to its whole area.

#include <MGraphX/Xani.h>

#include <QWidget>

namespace MGraphX {

class XaniWidget : public QWidget
{
    Q_OBJECT

public:
    explicit XaniWidget(QWidget* parent = nullptr);

    // Takes the animation's frames, loop and frame duration.
    void load(const Xani& animation);
    void play();
    void stop();
    const Xani& animation() const { return m_xani; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Xani m_xani;
};

} // namespace MGraphX
