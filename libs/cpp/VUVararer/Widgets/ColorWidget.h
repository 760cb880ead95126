#pragma once
// A colour well with a drop-down grid of 48 fixed colours.

#include <QColor>
#include <QWidget>

class QPushButton;

namespace VUVararer {

// The grid window of a ColorWidget; a click on a colour reports it and hides the grid, leaving it hides it too.
class ColorWidgetPopup : public QWidget
{
    Q_OBJECT

public:
    ColorWidgetPopup(QWidget* parent, Qt::WindowFlags flags = Qt::Popup);

    // The grid's colours row by row, eight to a row, as "#rrggbb" names.
    static QStringList colorNames();
    bool isInAction() const { return m_bInAction; }
    // A flat 20 x 20 button showing the colour; a click reports it.
    QPushButton* createButton(const QColor& color);

public slots:
    void slotColorChanged();

signals:
    void colorChanged(const QColor& color);

protected:
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    bool m_bInAction = false;
};

// Shows its colour with a gloss and an arrow; a press toggles the grid. The grid is a child and dies with it.
class ColorWidget : public QWidget
{
    Q_OBJECT

public:
    explicit ColorWidget(QWidget* parent = nullptr);

    QColor color() const { return m_color; }
    // Sets the colour without a signal.
    void setColor(const QColor& color);
    // The grid's window opacity, limited to 0 to 1.
    void setOpacity(double value);
    ColorWidgetPopup* popup() const { return m_pPopup; }

public slots:
    void slotColorChanged(const QColor& color);

signals:
    void colorChanged(const QColor& color);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    ColorWidgetPopup* m_pPopup;
    QColor m_color = Qt::green;
};

} // namespace VUVararer
