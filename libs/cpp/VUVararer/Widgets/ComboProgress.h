#pragma once
// A progress bar with a small stop button that turns into a label when the job ends or is stopped.

#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;

namespace VUVararer {

class ComboProgress : public QWidget
{
    Q_OBJECT

public:
    explicit ComboProgress(QWidget* parent = nullptr);

    int progress() const;
    bool isStopped() const { return m_bStopped; }
    // For the owner to fill.
    QLabel* label() const { return m_plblInfo; }
    // The label when on, else the bar and the stop button.
    void setLabelMode(bool on);

public slots:
    // 100 and above show the label; below, the bar comes back (clearing a stop) and takes the value (from 0).
    void slotSetProgress(int value);
    void slotStopPressed();

private:
    QProgressBar* m_pprgBar;
    QPushButton* m_pcmdStop;
    QLabel* m_plblInfo;
    bool m_bStopped = false;
};

} // namespace VUVararer
