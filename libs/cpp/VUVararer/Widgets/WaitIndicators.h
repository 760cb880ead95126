#pragma once
// Frameless on-top wait indicators with the spinning animation: a box that closes itself and a label.

#include <QDialog>
#include <QLabel>

class QMovie;
class QTimer;

namespace VUVararer {

// Shows a text beside the animation and closes itself after 10 s. Create with new: closing deletes it.
class UpdateIndicationDialog : public QDialog
{
    Q_OBJECT

public:
    explicit UpdateIndicationDialog(QWidget* parent = nullptr);

    void setText(const QString& text);
    // The timer that closes the box (10000 ms).
    QTimer* closeTimer() const { return m_pTimer; }

public slots:
    void slotTimeOut();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QLabel* m_plblAnimation;
    QLabel* m_plblText;
    QMovie* m_pMovie;
    QTimer* m_pTimer;
};

// A half-transparent frameless label with the animation. Create with new: closing deletes it.
class WaitLabel : public QLabel
{
    Q_OBJECT

public:
    explicit WaitLabel(const QString& text, QWidget* parent = nullptr);

private:
    QLabel* m_plblAnimation;
    QMovie* m_pMovie;
};

} // namespace VUVararer
