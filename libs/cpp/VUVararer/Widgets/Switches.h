#pragma once
// Small on/off and value inputs: a check button with on/off signals, an animated switch and a slider with a spin box.

#include <QFrame>
#include <QPushButton>
#include <QWidget>

class QLabel;
class QSlider;
class QSpinBox;
class QStateMachine;

namespace VUVararer {

// A checkable push button that reports switching on and off as two signals.
class CheckButton : public QPushButton
{
    Q_OBJECT

public:
    explicit CheckButton(QWidget* parent = nullptr);

public slots:
    void slotClicked(bool checked);

signals:
    void onClicked();
    void offClicked();
};

// An on/off switch whose handle slides between two halves; size it, then call init once.
class AniSwitch : public QWidget
{
    Q_OBJECT

public:
    explicit AniSwitch(QWidget* parent = nullptr);

    // Builds the switch for the current size; later calls do nothing.
    void init(bool withIcon, bool checked);
    // Before the switch runs (until the event loop has turned once after init) the last request waits for it.
    void setOn(bool on);
    bool isChecked() const;

public slots:
    void slotSetOn();
    void slotSetOff();

signals:
    void toggled(bool checked);

private slots:
    void slotMachineStarted();

private:
    CheckButton* m_pcmdIcon = nullptr;
    QStateMachine* m_pMachine = nullptr;
    QPushButton* m_pcmdHandle = nullptr;
    QWidget* m_pwgtArea = nullptr;
    bool m_bInitialized = false;
    bool m_bHasPendingOn = false;
    bool m_bPendingOn = false;
};

// A titled horizontal slider coupled to a spin box; reports every value change of either once.
class ComboSlider : public QFrame
{
    Q_OBJECT

public:
    explicit ComboSlider(const QString& title, QWidget* parent = nullptr);

    // An empty text hides the postfix label.
    void setPostfix(const QString& text);
    void setRange(int min, int max);
    // Limited to the range.
    void setValue(int value);
    int value() const;
    void setSingleStep(int step);
    void setTickInterval(int interval);

public slots:
    void slotSpinValueChanged(int value);

signals:
    void sliderMoved(int value);

private:
    QLabel* m_plblTitle;
    QSlider* m_psldValue;
    QSpinBox* m_pspbValue;
    QLabel* m_plblPostfix;
};

} // namespace VUVararer
