#pragma once
// A frameless translucent speech bubble with a pointer; optional show and hide animations; hides on a click.

#include <QColor>
#include <QFrame>

class QPropertyAnimation;

namespace VUVararer {

// Create with new and a parent: closing deletes it; a click or lost focus only hides it.
class BubbleWindow : public QFrame
{
    Q_OBJECT

public:
    explicit BubbleWindow(QWidget* parent = nullptr, const QColor& fillColor = QColor(60, 60, 60));

    void setFillColor(const QColor& color);
    // Pointer at the bottom, pointing down, when on; else on top, pointing up.
    void setFromButtomToTop(bool on);
    // Not owned; run on every show or hide.
    void setShowAnimation(QPropertyAnimation* animation) { m_pShowAnimation = animation; }
    void setHideAnimation(QPropertyAnimation* animation) { m_pHideAnimation = animation; }
    // From now on the bubble hides when another window takes the focus.
    void activateHideOnFocusChanged();
    // The outline as painted for the given size.
    QPolygonF outline(const QSize& size) const;

public slots:
    void slotFocusChanged(QWidget* old, QWidget* now);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QPropertyAnimation* m_pShowAnimation = nullptr;
    QPropertyAnimation* m_pHideAnimation = nullptr;
    bool m_bFromBottomToTop = false;
    QColor m_colorFill;
};

} // namespace VUVararer
