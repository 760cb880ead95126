#pragma once
// Label that paints a high-resolution pixmap scaled to the screen's device pixel ratio, optionally translucent.

#include <QLabel>
#include <QPixmap>

namespace VUVararer {

class Label : public QLabel
{
    Q_OBJECT

public:
    enum Mode : int { Fit = 0, Fill = 1 };

    explicit Label(QWidget* parent = nullptr);

    // Fit centres the whole pixmap; any other mode covers the label from its top-left corner.
    void setMode(Mode mode) { m_mode = mode; }
    Mode mode() const { return m_mode; }
    void setRetinaPixmap(const QPixmap& pixmap);
    QPixmap retinaPixmap() const { return m_pxmRetina; }
    // Takes effect at the next repaint; 1.0 and above paint opaque.
    void setOpacity(const double& opacity) { m_dOpacity = opacity; }
    double opacity() const { return m_dOpacity; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_pxmRetina;
    Mode m_mode = Fit;
    double m_dOpacity = 1.0;
};

} // namespace VUVararer
