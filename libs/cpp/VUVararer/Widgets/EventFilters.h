#pragma once
// Event filters that change how other widgets behave: centring a window and painting a combo box flat.

#include <QObject>
#include <QPointer>

class QComboBox;
class QWidget;

namespace VUVararer {

// Centres a widget over its parent widget (or the desktop) whenever it is shown.
class CenterFilter : public QObject
{
    Q_OBJECT

public:
    explicit CenterFilter(QObject* parent = nullptr) : QObject(parent) {}

    bool eventFilter(QObject* watched, QEvent* event) override;
    // Moves the remembered widget to the centre of its reference when it is elsewhere.
    void doOnVisibleAction();

public slots:
    // Re-centres the remembered widget while it is visible (for the desktop's resize signal).
    void slotResized(int screen);

private:
    QPointer<QWidget> m_pWidget;
};

// Paints a watched combo box as a flat box with its text word-wrapped and a corner triangle.
class ComboBoxFilter : public QObject
{
    Q_OBJECT

public:
    explicit ComboBoxFilter(QObject* parent = nullptr) : QObject(parent) {}

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QComboBox> m_pComboBox;
};

} // namespace VUVararer
